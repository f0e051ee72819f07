#include "rar_writer/exit_codes.h"

#include "quorvex6/result_codes.h"

namespace quorvex6::backend::rar_writer {

int ExitCodeOf(int32_t result_code) {
    switch (result_code) {
        case result::kSuccess:
            return kExitSuccess;
        case result::kFileNotFound:
        case result::kSkipped:
        case result::kCannotOpen:
        case result::kReadError:
        case result::kPathTooLong:
            return kExitWarning;
        case result::kDiskFull:
        case result::kWriteError:
            return kExitWriteError;
        case result::kNoHeapMemory:
            return kExitNoMemory;
        case result::kNotValidArchive:
            return kExitOpenError;
        case result::kCannotOpenArchive:
            return kExitCreateError;
        default:
            return kExitFatal;
    }
}

}  // namespace quorvex6::backend::rar_writer
