#include "arj_writer/arguments.h"

#include <string_view>
#include <utility>

#include "packer_program/command_line.h"

namespace quorvex6::backend::arj_writer {

namespace {

void ApplySwitch(std::string_view word, Arguments& args) {
    if (word == "-r") {
        args.recursive = true;
    } else if (word == "-e") {
        args.junk_paths = true;
    } else if (word == "-c") {
        args.only_newer = false;
    } else if (word == "-a") {
        args.any_attribute = true;
    } else if (word == "-2d") {
        args.dos_host = true;
    } else if (word.size() == 3 && word.starts_with("-m") && word[2] >= '0' && word[2] <= '4') {
        args.method = word[2] == '0' ? 0 : 1;
    } else if (word != "-y") {  // nothing is ever asked
        packer_program::UnknownSwitch(word);
    }
}

}  // namespace

Arguments ParseArguments(const std::vector<std::string>& words) {
    Arguments args;
    packer_program::CommandLine line = packer_program::ParseCommandLine(
        words, ".arj", [&](std::string_view word) { ApplySwitch(word, args); });
    args.only_newer = args.only_newer && line.only_newer;
    args.archive = std::move(line.archive);
    args.names = std::move(line.names);
    return args;
}

}  // namespace quorvex6::backend::arj_writer
