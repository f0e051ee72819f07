#include "formats/lha/lha_format.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "formats/lha/header_reader.h"
#include "io/fault.h"

namespace quorvex6::backend::lha {

namespace {

bool ValidAt(io::RandomInput& in, std::uint64_t offset) {
    if (!LooksLikeHeader(in, offset)) return false;
    Entry e;
    try {
        return ReadHeader(in, offset, e);
    } catch (const io::Error&) {
        return false;
    }
}

// The head of a file whose size is unknown: a member may run past it.
class HeadInput final : public io::RandomInput {
  public:
    explicit HeadInput(std::span<const std::uint8_t> head) : head_(head) {}
    std::uint64_t size() const override { return UINT64_MAX; }
    std::ptrdiff_t read_at(std::uint64_t offset, void* data, std::size_t n) override {
        if (offset >= head_.size()) return 0;
        n = static_cast<std::size_t>(std::min<std::uint64_t>(n, head_.size() - offset));
        std::memcpy(data, head_.data() + offset, n);
        return static_cast<std::ptrdiff_t>(n);
    }

  private:
    std::span<const std::uint8_t> head_;
};

}  // namespace

std::optional<std::uint64_t> FindArchiveStart(io::RandomInput& in, std::uint64_t limit) {
    std::uint8_t first = 1;
    if (LooksLikeHeader(in, 0) ||
        (in.size() == 1 && in.read_at(0, &first, 1) == 1 && first == kEndMarker))
        return 0;
    constexpr std::size_t kBlock = 64 * 1024;
    std::vector<std::uint8_t> block(kBlock + 8);
    for (std::uint64_t base = 0; base + kLevel01Base <= limit; base += kBlock) {
        std::ptrdiff_t got = in.read_at(base, block.data(), block.size());
        if (got < 7) break;
        // A header's method field "-??-" sits two bytes in; test only where that can start.
        for (std::size_t i = 0; i + 7 <= static_cast<std::size_t>(got) && i < kBlock; ++i) {
            if (!MethodLike(block.data() + i + kMethodField)) continue;
            if (ValidAt(in, base + i)) return base + i;
        }
    }
    return std::nullopt;
}

std::optional<std::uint64_t> Bid(std::span<const std::uint8_t> head) {
    if (head.size() == 1 && head[0] == kEndMarker) return 0;
    HeadInput in(head);
    return FindArchiveStart(in, head.size());
}

}  // namespace quorvex6::backend::lha
