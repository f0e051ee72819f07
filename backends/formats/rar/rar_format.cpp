#include "formats/rar/rar_format.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "io/memory.h"

namespace quorvex6::backend::rar {

std::optional<ArchiveStart> FindArchiveStart(io::RandomInput& in, std::uint64_t limit) {
    constexpr std::size_t kBlock = 64 * 1024;
    constexpr std::size_t kOverlap = sizeof kSignature5;
    std::vector<std::uint8_t> block(kBlock + kOverlap);
    for (std::uint64_t base = 0; base < limit; base += kBlock) {
        std::ptrdiff_t got = in.read_at(base, block.data(), block.size());
        if (got < static_cast<std::ptrdiff_t>(sizeof kSignature4)) break;
        auto size = static_cast<std::size_t>(got);
        for (std::size_t i = 0; i + sizeof kSignature4 <= size && i < kBlock && base + i < limit;
             ++i) {
            if (block[i] != kSignature4[0]) continue;
            const std::uint8_t* at = block.data() + i;
            if (i + sizeof kSignature5 <= size &&
                std::memcmp(at, kSignature5, sizeof kSignature5) == 0)
                return ArchiveStart{base + i, Generation::kRar5};
            if (std::memcmp(at, kSignature4, sizeof kSignature4) == 0)
                return ArchiveStart{base + i, Generation::kRar4};
        }
    }
    return std::nullopt;
}

std::optional<std::uint64_t> Bid(std::span<const std::uint8_t> head) {
    io::MemoryInput in(head);
    std::optional<ArchiveStart> start = FindArchiveStart(in, head.size());
    if (!start) return std::nullopt;
    return start->offset;
}

}  // namespace quorvex6::backend::rar
