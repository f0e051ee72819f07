#include "platform/program_start.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <future>
#include <thread>
#include <vector>

#include "platform/codepage.h"
#include "platform/command_line.h"
#include "platform/posix/own_folder.h"
#include "platform/posix/program_lookup.h"

extern char** environ;

namespace quorvex6::platform {
namespace {

// The program starts as a fresh process would: no blocked or ignored signals inherited from the
// host, and none of the host's files beyond the three standard ones.
struct SpawnSettings {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;

    explicit SpawnSettings(bool shown) {
        posix_spawn_file_actions_init(&actions);
        if (!shown) {
            posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
            posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        }
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
        posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#endif
        posix_spawnattr_init(&attributes);
        sigset_t none;
        sigset_t all;
        sigemptyset(&none);
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setsigdefault(&attributes, &all);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnSettings() {
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
    }
    SpawnSettings(const SpawnSettings&) = delete;
    SpawnSettings& operator=(const SpawnSettings&) = delete;
};

class SystemStarter final : public ProgramStarter {
  public:
    uint32_t Start(const std::u16string& commandLine, bool shown) override;
};

uint32_t SystemStarter::Start(const std::u16string& commandLine, bool shown) {
    const std::vector<std::string> words = SplitCommandLine(ToSystem(commandLine));
    if (words.empty()) throw ProgramNotFound("no program named in an empty command line");
    const std::string program = FindProgram(words.front(), OwnFolder());
    if (program.empty()) {
        throw ProgramNotFound("cannot start the program " + words.front() + ": not found on PATH");
    }
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (const auto& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    const SpawnSettings settings(shown);

    // The caller never waits, so a reaper thread does. It exists before the program: when no
    // thread can be made, nothing is started and no program is left behind as a zombie.
    std::promise<pid_t> started;
    std::thread reaper([spawned = started.get_future()]() mutable {
        pid_t pid = 0;
        try {
            pid = spawned.get();
        } catch (const std::future_error&) {
            return;
        }
        if (pid <= 0) return;
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    });
    pid_t pid = 0;
    // An exec failure is reported here, and glibc has then already reaped the child.
    const int failed = posix_spawn(&pid, program.c_str(), &settings.actions, &settings.attributes,
                                   argv.data(), environ);
    if (failed != 0) pid = 0;
    started.set_value(pid);
    reaper.detach();
    return pid > 0 ? static_cast<uint32_t>(pid) : 0;
}

}  // namespace

ProgramStarter& SystemProgramStarter() {
    static SystemStarter starter;
    return starter;
}

}  // namespace quorvex6::platform
