// A program run in a scratch folder as the control runs it: argv, no shell, no terminal.
#pragma once
#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/backend_library.h"
#include "support/child_process.h"

namespace quorvex6::testing {

struct Ran {
    int code = -1;
    std::string out;
};

// Runs argv in `cwd` with no input; its output is collected.
inline Ran RunIn(const fs::path& cwd, const std::vector<std::string>& argv) {
    const fs::path log = cwd.parent_path() / ("run-" + std::to_string(getpid()) + ".log");
    const pid_t pid = StartChild([&] {
        if (chdir(cwd.c_str()) != 0) return 126;
        const int in = open("/dev/null", O_RDONLY);
        const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(in, 0);
        dup2(out, 1);
        dup2(out, 2);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        return 127;
    });
    const ChildEnd end = WaitForChild(pid);
    Ran ran{end.exited ? end.code : 128 + end.signal, ReadAll(log)};
    fs::remove(log);
    return ran;
}

}  // namespace quorvex6::testing
