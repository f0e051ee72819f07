#include "ish32/decode_outcome.h"

#include <string>

namespace quorvex6::backend::ish32 {

Failure DecodeFailure(codecs::Status status, const codecs::ish::DecodeReport& report) {
    using codecs::ish::Fault;
    switch (report.fault) {
        case Fault::kUnrepairableBlock: {
            std::string lines;
            for (size_t line : report.lost) lines += " " + std::to_string(line);
            return Failure(result::kBrokenData, "block " + std::to_string(report.blocks + 1) +
                                                    " lost too many lines to rebuild:" + lines);
        }
        case Fault::kFileCrc:
            return Failure(result::kCrcMismatch, "the file's CRC does not match");
        case Fault::kMissingBlocks:
            return Failure(result::kArchiveDataMissing,
                           "the text ends before the file's last block");
        case Fault::kVolumeOfSet:
            return Failure(result::kBrokenData, "a volume header that allows no such volume");
        case Fault::kNone:
            break;
    }
    if (status == codecs::Status::kReadFailed) return Failure(result::kReadError, "read error");
    if (status == codecs::Status::kWriteFailed) return Failure(result::kWriteError, "write error");
    return Failure(result::kBrokenData, "the file cannot be decoded");
}

}  // namespace quorvex6::backend::ish32
