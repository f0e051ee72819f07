// Which file a started program's name stands for. Some names are ours as well: a program of
// our own beside the control's libraries, used first where the system's program of that name
// cannot be trusted with the control's command lines, else only where PATH has none.
#pragma once
#include <string>
#include <string_view>

namespace quorvex6::platform {

struct OwnProgram {
    std::string_view command;  // as the command line names it
    std::string_view file;     // ours, in the control's folder
    bool ours_first;
};

// Debian's arj 3.10 spins for ever on a dot-file at the top of its folder, which a pack of a
// folder hands it, and reads "*.*" as "names with a dot" on POSIX. A real rar packs better
// than our storing one.
inline constexpr OwnProgram kOwnPrograms[] = {
    {"arj", "quorvex-arj", true},
    {"rar", "quorvex-rar", false},
};

// The program file for `command`: ours from `own_folder` or one PATH finds (a name with a
// slash as it is); "" when there is none.
std::string FindProgram(const std::string& command, const std::string& own_folder);

}  // namespace quorvex6::platform
