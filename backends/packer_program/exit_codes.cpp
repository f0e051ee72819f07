#include "packer_program/exit_codes.h"

#include "quorvex6/result_codes.h"

namespace quorvex6::backend::packer_program {

int ExitCodeOf(std::int32_t result_code, std::span<const OwnExit> own) {
    switch (result_code) {
        case result::kSuccess:
            return kExitSuccess;
        case result::kFileNotFound:
        case result::kSkipped:
        case result::kCannotOpen:
        case result::kReadError:
        case result::kPathTooLong:
            return kExitWarning;
        case result::kNoHeapMemory:
            return kExitNoMemory;
        default:
            break;
    }
    for (const OwnExit& e : own)
        if (e.result_code == result_code) return e.exit_code;
    return kExitFatal;
}

}  // namespace quorvex6::backend::packer_program
