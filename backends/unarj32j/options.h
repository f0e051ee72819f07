// unarj32j's command line: its switches, its command words and what they ask for.
#pragma once
#include <span>
#include <string_view>

#include "common/command_line.h"

namespace quorvex6::backend::unarj32j {

struct Options {
    bool folder_parts = true;  // x keeps the stored folders, e drops them
    bool only_newer = false;   // -u: only files newer than those on disk, or missing there
    bool restore_mode = true;  // -a turns attributes (permissions) off
    bool progress = true;      // -i: no progress indicator
};

std::span<const SwitchRule> Switches();
std::span<const std::string_view> CommandWords();

// Throws Failure(0x801C) for a switch value the library does not know.
Options ReadOptions(const ParsedCommand& cmd);

}  // namespace quorvex6::backend::unarj32j
