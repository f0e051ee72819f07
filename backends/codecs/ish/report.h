// What decoding one file found, beyond its Status.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quorvex6::backend::codecs::ish {

enum class Fault : std::uint8_t {
    kNone,
    // Status::kCorrupt: block `blocks + 1` lost the lines in `lost` (three or more, or two
    // beside its diagonal line), too many to rebuild.
    kUnrepairableBlock,
    // Status::kCorrupt: every block decoded but the file's CRC does not match.
    kFileCrc,
    // Status::kTruncated: the text ended, or the next file began, before the file's last block
    // (a block cut there too short to rebuild included; `lost` then lists its missing lines).
    kMissingBlocks,
    // Status::kCorrupt: a volume of a multi-volume set whose header allows no such volume (no
    // bytes per volume, or a number past the last volume of the size).
    kVolumeOfSet,
};

struct DecodeReport {
    Fault fault = Fault::kNone;
    std::uint64_t blocks = 0;       // blocks decoded
    std::uint64_t lost_lines = 0;   // lines missing or damaged in those blocks, all made good
    std::vector<std::size_t> lost;  // the line numbers of the unrepairable block
};

}  // namespace quorvex6::backend::codecs::ish
