// The exit codes the packer programs share, and how a result code of the shared pack code
// becomes one: each program names its own for the results its original documents apart.
#pragma once
#include <cstdint>
#include <span>

namespace quorvex6::backend::packer_program {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitWarning = 1;  // a name matched nothing, a file could not be read
inline constexpr int kExitFatal = 2;
inline constexpr int kExitNoMemory = 8;

struct OwnExit {
    std::int32_t result_code;
    int exit_code;
};

// 0 for success; a file left out (missing, unreadable, skipped) is a warning; then the
// program's own codes; the rest fatal.
int ExitCodeOf(std::int32_t result_code, std::span<const OwnExit> own);

}  // namespace quorvex6::backend::packer_program
