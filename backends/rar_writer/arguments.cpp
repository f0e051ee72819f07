#include "rar_writer/arguments.h"

#include <algorithm>
#include <string_view>

namespace quorvex6::backend::rar_writer {

namespace {

// rar names an archive without an extension as its own kind.
std::string WithSuffix(const std::string& archive) {
    const std::size_t slash = archive.rfind('/');
    const std::string_view last =
        std::string_view(archive).substr(slash == std::string::npos ? 0 : slash + 1);
    return last.find('.') == std::string_view::npos ? archive + ".rar" : archive;
}

// -e followed by attribute letters: s (system) and h (hidden) are the ones taken.
bool ApplyExclusion(std::string_view letters, Arguments& args) {
    if (letters.empty()) return false;
    for (const char c : letters) {
        if (c == 'h') {
            args.skip_hidden = true;
        } else if (c != 's') {
            return false;
        }
    }
    return true;
}

void ApplySwitch(std::string_view word, Arguments& args) {
    if (word == "-r") {
        args.recursive = true;
    } else if (word == "-ep") {
        args.junk_paths = true;
    } else if (word.starts_with("-e") && ApplyExclusion(word.substr(2), args)) {
        return;
    } else if (word != "-std" && word != "-y") {  // output goes to stdout; nothing is asked
        throw BadArguments("unknown switch " + std::string(word));
    }
}

}  // namespace

Arguments ParseArguments(const std::vector<std::string>& words) {
    Arguments args;
    std::vector<std::string> positional;
    bool switches = true;
    for (const std::string& word : words) {
        if (switches && word == "--") {
            switches = false;
        } else if (switches && word.size() > 1 && word.front() == '-') {
            ApplySwitch(word, args);
        } else {
            positional.push_back(word);
        }
    }
    if (positional.size() < 2) throw BadArguments("a command and an archive are needed");
    const std::string& command = positional.front();
    if (command != "u" && command != "a") throw BadArguments("unknown command " + command);
    if (command == "a") args.only_newer = false;
    if (positional[1].empty()) throw BadArguments("an empty archive name");
    args.archive = WithSuffix(positional[1]);
    args.names.assign(positional.begin() + 2, positional.end());
    std::erase(args.names, std::string());
    return args;
}

}  // namespace quorvex6::backend::rar_writer
