// The names volumes of a set go by: "name.part1.rar", "name.part2.rar", ... (RAR 5, and RAR 4
// sets with the new numbering) or "name.rar", "name.r00", "name.r01", ... (older RAR 4 sets).
#pragma once
#include <optional>
#include <string>

namespace quorvex6::backend::rar {

// The volume after `current`; nullopt when its name has no number to count on.
std::optional<std::string> NextVolumeName(const std::string& current, bool new_numbering);

}  // namespace quorvex6::backend::rar
