#include "packer_program/command_line.h"

#include <algorithm>

namespace quorvex6::backend::packer_program {

namespace {

// The packers name an archive without an extension as their own kind.
std::string WithSuffix(const std::string& archive, std::string_view suffix) {
    const std::size_t slash = archive.rfind('/');
    const std::string_view last =
        std::string_view(archive).substr(slash == std::string::npos ? 0 : slash + 1);
    return last.find('.') == std::string_view::npos ? archive + std::string(suffix) : archive;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& words, std::string_view suffix,
                             const std::function<void(std::string_view)>& apply_switch) {
    CommandLine line;
    std::vector<std::string> positional;
    bool switches = true;
    for (const std::string& word : words) {
        if (switches && word == "--") {
            switches = false;
        } else if (switches && word.size() > 1 && word.front() == '-') {
            apply_switch(word);
        } else {
            positional.push_back(word);
        }
    }
    if (positional.size() < 2) throw BadArguments("a command and an archive are needed");
    const std::string& command = positional.front();
    if (command != "u" && command != "a") throw BadArguments("unknown command " + command);
    if (command == "a") line.only_newer = false;
    if (positional[1].empty()) throw BadArguments("an empty archive name");
    line.archive = WithSuffix(positional[1], suffix);
    line.names.assign(positional.begin() + 2, positional.end());
    std::erase(line.names, std::string());
    return line;
}

void UnknownSwitch(std::string_view word) {
    throw BadArguments("unknown switch " + std::string(word));
}

}  // namespace quorvex6::backend::packer_program
