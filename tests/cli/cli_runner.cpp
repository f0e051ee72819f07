#include "cli/cli_runner.h"

#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace quorvex6::testing {
namespace {

std::string Quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out.push_back(c);
    }
    return out + "'";
}

std::string Slurp(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace

CliResult RunCli(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                 const std::string& input, const std::vector<std::string>& env, int fileSizeLimit) {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvcli-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a folder for the run");
    const std::filesystem::path io = pattern;
    std::ofstream(io / "in", std::ios::binary) << input;
    std::string command = "cd " + Quoted(cwd.string()) + " && ";
    if (fileSizeLimit != 0) command += "ulimit -f " + std::to_string(fileSizeLimit) + " && ";
    command += "env";
    for (const std::string& setting : env) command += " " + Quoted(setting);
    command += " " + Quoted(QV_CLI);
    for (const std::string& arg : args) command += " " + Quoted(arg);
    command += " <" + Quoted((io / "in").string()) + " >" + Quoted((io / "out").string()) + " 2>" +
               Quoted((io / "err").string());
    const int raw = std::system(command.c_str());
    CliResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = Slurp(io / "out");
    result.err = Slurp(io / "err");
    std::filesystem::remove_all(io);
    return result;
}

std::vector<std::pair<std::string, std::string>> TreeOf(const std::filesystem::path& root) {
    std::vector<std::pair<std::string, std::string>> tree;
    for (const auto& item : std::filesystem::recursive_directory_iterator(root)) {
        const std::string name = std::filesystem::relative(item.path(), root).string();
        tree.emplace_back(item.is_directory() ? name + "/" : name,
                          item.is_directory() ? "" : Slurp(item.path()));
    }
    std::sort(tree.begin(), tree.end());
    return tree;
}

}  // namespace quorvex6::testing
