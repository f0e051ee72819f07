// The switches of unlha32 command lines, read once into plain options.
#pragma once
#include <span>
#include <string>
#include <string_view>

#include "common/command_line.h"

namespace quorvex6::backend::unlha32 {

std::span<const backend::SwitchRule> Switches();
std::span<const std::string_view> CommandWords();

struct Options {
    bool recursive = false;        // -r2 (and -r1): names match in subfolders too
    bool recursion_given = false;  // -r0/-r1/-r2 present
    bool folder_parts = true;      // -x1 keeps folder parts, -x0 drops them
    bool include_hidden = false;   // -a1: dot-files (POSIX's hidden files) too
    bool check_time = true;        // -c1 turns the time-stamp check off
    bool check_space = true;       // -f1 turns the free-space check off
    bool progress = false;         // -jp1, unless -n
    std::string method = "lh5";    // -jm0..-jm4: lh0, lh1, lh5, lh6, lh7
};

// Throws 0x801C for a switch value out of range. `command` decides the -x default:
// "e" drops folder parts unless -x1, everything else keeps them unless -x0.
Options ReadOptions(const backend::ParsedCommand& cmd);

}  // namespace quorvex6::backend::unlha32
