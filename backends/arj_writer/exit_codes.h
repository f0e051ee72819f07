// The exit codes arj documents beyond the ones the packers share, and which of them a result
// code of the shared pack code is.
#pragma once
#include <cstdint>

namespace quorvex6::backend::arj_writer {

inline constexpr int kExitDiskFull = 5;
inline constexpr int kExitCannotOpen = 6;  // the archive cannot be made
inline constexpr int kExitBadParameters = 7;
inline constexpr int kExitNotArj = 9;

int ExitCodeOf(std::int32_t result_code);

}  // namespace quorvex6::backend::arj_writer
