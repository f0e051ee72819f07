// The exit codes rar documents beyond the ones the packers share, and which of them a result
// code of the shared pack code is.
#pragma once
#include <cstdint>

namespace quorvex6::backend::rar_writer {

inline constexpr int kExitWriteError = 5;
inline constexpr int kExitOpenError = 6;    // the old archive cannot be read
inline constexpr int kExitUserError = 7;    // a wrong command or switch
inline constexpr int kExitCreateError = 9;  // the archive cannot be made

int ExitCodeOf(std::int32_t result_code);

}  // namespace quorvex6::backend::rar_writer
