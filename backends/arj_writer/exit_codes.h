// The exit codes arj documents, and which of them a result code of the shared pack code is.
#pragma once
#include <cstdint>

namespace quorvex6::backend::arj_writer {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitWarning = 1;  // a name matched nothing, a file could not be read
inline constexpr int kExitFatal = 2;
inline constexpr int kExitDiskFull = 5;
inline constexpr int kExitCannotOpen = 6;  // the archive cannot be made
inline constexpr int kExitBadParameters = 7;
inline constexpr int kExitNoMemory = 8;
inline constexpr int kExitNotArj = 9;

// 0 for success; a file left out (missing, unreadable, skipped) is a warning, the rest fatal.
int ExitCodeOf(int32_t result_code);

}  // namespace quorvex6::backend::arj_writer
