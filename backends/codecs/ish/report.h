// What decoding one file found, beyond its Status.
#ifndef QV_CODECS_ISH_REPORT_H
#define QV_CODECS_ISH_REPORT_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quorvex6::codecs::ish {

enum class Fault : std::uint8_t {
    none,
    // Status::corrupt: block `blocks + 1` lost the lines in `lost` (three or more, or two
    // beside its diagonal line), too many to rebuild.
    unrepairable_block,
    // Status::corrupt: every block decoded but the file's CRC does not match.
    file_crc,
    // Status::truncated: the text ended, or the next file began, before the file's last block
    // (a block cut there too short to rebuild included; `lost` then lists its missing lines).
    missing_blocks,
    // Status::corrupt: a volume of a multi-volume set whose header allows no such volume (no
    // bytes per volume, or a number past the last volume of the size).
    volume_of_set,
};

struct DecodeReport {
    Fault fault = Fault::none;
    std::uint64_t blocks = 0;        // blocks decoded
    std::uint64_t lost_lines = 0;    // lines missing or damaged in those blocks, all made good
    std::vector<std::size_t> lost;   // the line numbers of the unrepairable block
};

}  // namespace quorvex6::codecs::ish

#endif
