#include "formats/arj/arj_format.h"

#include <memory>

#include "formats/arj/header_reader.h"
#include "io/fault.h"
#include "io/memory.h"

namespace quorvex6::backend::arj {

namespace {

// A main header: its CRC holds and it says so by its type.
bool MainHeaderAt(io::RandomInput& in, std::uint64_t offset) {
    try {
        std::optional<RawHeader> h = ReadHeader(in, offset);
        return h && h->basic[kTypeField] == kTypeMainHeader;
    } catch (const io::Error&) {
        return false;
    }
}

}  // namespace

std::optional<std::uint64_t> FindArchiveStart(io::RandomInput& in, std::uint64_t limit) {
    // Most archives start at once: no search block to fill for them.
    if (limit > 0 && MainHeaderAt(in, 0)) return 0;
    constexpr std::size_t kBlock = 64 * 1024;
    const auto block = std::make_unique_for_overwrite<std::uint8_t[]>(kBlock + 1);
    for (std::uint64_t base = 0; base < limit; base += kBlock) {
        std::ptrdiff_t got = in.read_at(base, block.get(), kBlock + 1);
        if (got < 2) break;
        auto end = static_cast<std::size_t>(got) - 1;
        for (std::size_t i = base == 0 ? 1 : 0; i < end && i < kBlock && base + i < limit; ++i) {
            if (block[i] == kMark[0] && block[i + 1] == kMark[1] && MainHeaderAt(in, base + i))
                return base + i;
        }
    }
    return std::nullopt;
}

std::optional<std::uint64_t> Bid(std::span<const std::uint8_t> head) {
    io::MemoryInput in(head);
    return FindArchiveStart(in, head.size());
}

}  // namespace quorvex6::backend::arj
