// unrar32's command line: its switches and what they ask for.
#pragma once
#include <span>

#include "common/command_line.h"

namespace quorvex6::backend::unrar32 {

enum class Action { kExtract, kTest };

struct Options {
    Action action = Action::kExtract;
    bool folder_parts = true;  // -x keeps the stored folders, -e drops them
    bool only_newer = false;   // -u: only files newer than those on disk, or missing there
    bool progress = true;      // -i: no progress indicator
};

std::span<const SwitchRule> Switches();

// Throws Failure(0x801C) unless exactly one of -x, -e and -t is given.
Options ReadOptions(const ParsedCommand& cmd);

}  // namespace quorvex6::backend::unrar32
