#include "common/fault_codes.h"

#include "quorvex6/result_codes.h"

namespace quorvex6::backend {

int32_t ResultCodeOf(io::Fault fault) {
    using io::Fault;
    switch (fault) {
        case Fault::kNotArchive:
            return result::kNotValidArchive;
        case Fault::kBrokenHeader:
            return result::kBrokenHeader;
        case Fault::kHeaderChecksum:
            return result::kHeaderCrc;
        case Fault::kBrokenData:
            return result::kBrokenData;
        case Fault::kDataChecksum:
            return result::kCrcMismatch;
        case Fault::kUnknownMethod:
            return result::kMethod;
        case Fault::kEncrypted:
            return result::kPasswordFile;
        case Fault::kNameTooLong:
            return result::kPathTooLong;
        case Fault::kCannotOpen:
            return result::kCannotOpenArchive;
        case Fault::kMissing:
            return result::kFileNotFound;
        case Fault::kRead:
            return result::kReadError;
        case Fault::kWrite:
            return result::kWriteError;
        case Fault::kNoMemory:
            return result::kNoHeapMemory;
    }
    return result::kBrokenData;
}

}  // namespace quorvex6::backend
