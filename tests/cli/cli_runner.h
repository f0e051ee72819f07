// Runs the built quorvex program as a user would: in a folder, with arguments and standard
// input, capturing its exit status and both output streams.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace quorvex6::testing {

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

// env: NAME=VALUE settings for this run only; fileSizeLimit: when not 0, the largest file the
// run may write, in 512-byte blocks (the shell's ulimit -f).
CliResult RunCli(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                 const std::string& input = "", const std::vector<std::string>& env = {},
                 int fileSizeLimit = 0);

// Every file and folder under root, by relative name, with the content of files.
std::vector<std::pair<std::string, std::string>> TreeOf(const std::filesystem::path& root);

}  // namespace quorvex6::testing
