#include "formats/rar/first_block.h"

#include "io/range_source.h"

namespace quorvex6::backend::rar {

namespace {

constexpr std::uint8_t kFirstLzVersion = 29;  // RAR 2.9 brought PPMd blocks
constexpr std::uint8_t kPpmdBlock = 0x80;

}  // namespace

bool StartsWithPpmd(const JoinedEntry& joined, const VolumeSet::VolumeInput& volume) {
    const Entry& e = joined.entry;
    if (e.generation != Generation::kRar4 || e.version < kFirstLzVersion || e.method == 0 ||
        e.solid || e.encrypted || !e.has_data() || e.symlink_in_data())
        return false;
    const Entry& first = joined.pieces.front().entry;
    if (first.packed_size == 0) return false;
    try {
        io::RangeSource source(volume(joined.pieces.front().volume), first.data_offset, 1);
        std::uint8_t byte = 0;
        return source.read(&byte, 1) == 1 && (byte & kPpmdBlock) != 0;
    } catch (const io::Error&) {
        return false;
    }
}

}  // namespace quorvex6::backend::rar
