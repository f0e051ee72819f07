// The exit codes rar documents, and which of them a result code of the shared pack code is.
#pragma once
#include <cstdint>

namespace quorvex6::backend::rar_writer {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitWarning = 1;  // a name matched nothing, a file could not be read
inline constexpr int kExitFatal = 2;
inline constexpr int kExitWriteError = 5;
inline constexpr int kExitOpenError = 6;  // the old archive cannot be read
inline constexpr int kExitUserError = 7;  // a wrong command or switch
inline constexpr int kExitNoMemory = 8;
inline constexpr int kExitCreateError = 9;  // the archive cannot be made

// 0 for success; a file left out (missing, unreadable, skipped) is a warning, the rest fatal.
int ExitCodeOf(int32_t result_code);

}  // namespace quorvex6::backend::rar_writer
