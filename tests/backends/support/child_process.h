// Test support for what only another process can show: a command stopped by a signal, two
// writers at once, a user who is not root.
#pragma once
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>

namespace quorvex6::testing {

// Runs `body` in a child process that exits with its result (0..255). The child starts with the
// default action for the termination signals, as a program run from a terminal does (a test
// runner in the background may have inherited SIGINT ignored).
inline pid_t StartChild(const std::function<int()>& body) {
    pid_t pid = fork();
    if (pid == 0) {
        for (int sig : {SIGTERM, SIGINT, SIGHUP}) signal(sig, SIG_DFL);
        _exit(body() & 0xFF);
    }
    return pid;
}

struct ChildEnd {
    bool exited = false;
    int code = -1;   // when exited
    int signal = 0;  // when ended by a signal
};

inline ChildEnd WaitForChild(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    ChildEnd end;
    if (WIFEXITED(status)) {
        end.exited = true;
        end.code = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        end.signal = WTERMSIG(status);
    }
    return end;
}

// Whether `pid` holds a file open for writing inside `folder` (named or not yet named).
inline bool WritesIn(pid_t pid, const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    std::string prefix = folder.string() + "/";
    std::error_code ec;
    fs::path fds = "/proc/" + std::to_string(pid) + "/fd";
    for (fs::directory_iterator it(fds, ec), end; !ec && it != end; it.increment(ec)) {
        fs::path target = fs::read_symlink(it->path(), ec);
        if (ec || target.string().rfind(prefix, 0) != 0) continue;
        std::ifstream info("/proc/" + std::to_string(pid) + "/fdinfo/" +
                           it->path().filename().string());
        std::string key;
        unsigned long flags = 0;
        while (info >> key) {
            if (key == "flags:") {
                info >> std::oct >> flags;
                break;
            }
        }
        if ((flags & O_ACCMODE) != O_RDONLY) return true;
    }
    return false;
}

// Waits (at most `limit`) until `pid` writes in `folder`; false when it ended first or never did.
inline bool WaitUntilWritingIn(pid_t pid, const std::filesystem::path& folder,
                               std::chrono::seconds limit = std::chrono::seconds(60)) {
    auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
        if (WritesIn(pid, folder)) return true;
        siginfo_t info{};
        if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            info.si_pid == pid)
            return false;
        std::this_thread::yield();
    }
    return false;
}

// Stops `pid` (SIGSTOP) while it writes in `folder`, however quickly it writes: true when it
// was caught in the middle, to be sent a signal and SIGCONT; else it is ended and false.
inline bool StopWhileWritingIn(pid_t pid, const std::filesystem::path& folder) {
    if (WaitUntilWritingIn(pid, folder)) {
        kill(pid, SIGSTOP);
        int status = 0;
        while (waitpid(pid, &status, WUNTRACED) < 0 && errno == EINTR) {
        }
        if (WIFSTOPPED(status) && WritesIn(pid, folder)) return true;
    }
    kill(pid, SIGKILL);
    kill(pid, SIGCONT);
    WaitForChild(pid);
    return false;
}

// Starts `body` in a child and sends it `sig` while it writes in `folder` (retrying a child
// that finished its writing before it could be caught); how it ended, or nullopt when no child
// could be caught writing.
inline std::optional<ChildEnd> SignalWhileWritingIn(const std::function<int()>& body,
                                                    const std::filesystem::path& folder, int sig,
                                                    const std::function<void()>& reset) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        pid_t pid = StartChild(body);
        if (StopWhileWritingIn(pid, folder)) {
            kill(pid, sig);
            kill(pid, SIGCONT);
            return WaitForChild(pid);
        }
        reset();
    }
    return std::nullopt;
}

}  // namespace quorvex6::testing
