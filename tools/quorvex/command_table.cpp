#include <array>

#include "commands.h"

namespace quorvex::cli {
namespace {

constexpr std::array kCommands = {
    Command{"pack", "ARCHIVE [NAME...]", "pack NAMEs (default: everything) into ARCHIVE",
            PackOptions, RunPack},
    Command{"extract", "ARCHIVE [NAME...]", "extract NAMEs (default: everything) from ARCHIVE",
            ExtractOptions, RunExtract},
    Command{"list", "ARCHIVE", "list the entries of ARCHIVE", ListOptions, RunList},
    Command{"sfx", "ARCHIVE", "make a self-extracting program from ARCHIVE", SfxOptions, RunSfx},
    Command{"version", "", "show each library's version and whether it is busy", VersionOptions,
            RunVersion},
    Command{"about", "", "show the control's about text", AboutOptions, RunAbout},
    Command{"script", "[FILE]", "run set/get/call lines from FILE or standard input", ScriptOptions,
            RunScriptCommand},
};

}  // namespace

std::span<const Command> Commands() { return kCommands; }

const Command* CommandNamed(std::string_view name) {
    for (const Command& command : kCommands) {
        if (command.name == name) return &command;
    }
    return nullptr;
}

}  // namespace quorvex::cli
