#include "platform/program_start.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/codepage.h"
#include "platform/command_line.h"

extern char** environ;

namespace quorvex6::platform {
namespace {

bool IsExecutable(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string FindOnPath(const std::string& program) {
    if (program.find('/') != std::string::npos) return IsExecutable(program) ? program : "";
    const char* env = std::getenv("PATH");
    const std::string path = env != nullptr ? env : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(':', start);
        if (end == std::string::npos) end = path.size();
        std::string folder = path.substr(start, end - start);
        if (folder.empty()) folder = ".";
        std::string candidate = std::move(folder);
        candidate.append(1, '/').append(program);
        if (IsExecutable(candidate)) return candidate;
        start = end + 1;
    }
    return "";
}

}  // namespace

uint32_t StartProgram(const std::u16string& commandLine, bool shown) {
    const std::vector<std::string> words = SplitCommandLine(ToSystem(commandLine));
    if (words.empty()) throw ProgramNotFound("no program named in an empty command line");
    const std::string program = FindOnPath(words.front());
    if (program.empty()) {
        throw ProgramNotFound("cannot start the program " + words.front() + ": not found on PATH");
    }
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (const auto& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!shown) {
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0 || pid <= 0) return 0;
    // The caller never waits; a detached reaper keeps the finished program from staying a zombie.
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return static_cast<uint32_t>(pid);
}

}  // namespace quorvex6::platform
