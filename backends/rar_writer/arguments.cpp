#include "rar_writer/arguments.h"

#include <string_view>
#include <utility>

#include "packer_program/command_line.h"

namespace quorvex6::backend::rar_writer {

namespace {

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
        packer_program::UnknownSwitch(word);
    }
}

}  // namespace

Arguments ParseArguments(const std::vector<std::string>& words) {
    Arguments args;
    packer_program::CommandLine line = packer_program::ParseCommandLine(
        words, ".rar", [&](std::string_view word) { ApplySwitch(word, args); });
    args.only_newer = args.only_newer && line.only_newer;
    args.archive = std::move(line.archive);
    args.names = std::move(line.names);
    return args;
}

}  // namespace quorvex6::backend::rar_writer
