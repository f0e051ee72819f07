// Lazy matching over a sliding window, one frame at a time: the frame's bytes as literals and
// matches, matches never past the frame's end, repeat offsets kept as the decoder keeps them.
// Candidates come from hash buckets of the latest positions with their first four bytes, one
// cache line each, so that a search costs one memory access where a chain walk costs many.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "codecs/lzx/lzx_constants.h"

namespace quorvex6::backend::codecs::lzx {

// A literal (`length` 0) or a match: its main-tree slot (0..2 the repeat offsets) and the
// footer sent after it.
struct Item {
    std::uint32_t footer = 0;
    std::uint16_t length = 0;
    std::uint8_t value = 0;  // the literal
    std::uint8_t slot = 0;
};

class Matcher {
  public:
    explicit Matcher(unsigned window_bits);

    void Reset();
    // Room for the next frame's bytes, to be filled before Match; at most kFrameSize.
    std::span<std::uint8_t> NextFrame(std::size_t size);
    // Matches the frame NextFrame gave into `items`, starting from `repeats`, which it leaves
    // as the decoder will have them at the frame's end.
    void Match(std::array<std::uint32_t, kRepeatOffsets>& repeats, std::vector<Item>& items);

  private:
    struct Found {
        std::uint32_t length = 0;
        std::uint32_t offset = 0;
        int repeat = -1;  // which repeat offset, if one
    };
    Found Best(std::uint32_t at, std::uint32_t limit,
               const std::array<std::uint32_t, kRepeatOffsets>& repeats);
    struct alignas(64) Bucket {
        static constexpr unsigned kWays = 8;
        std::array<std::uint32_t, kWays> position;
        std::array<std::uint32_t, kWays> head;  // the four bytes there
    };
    void InsertUpTo(std::uint32_t at);
    std::uint32_t Common(std::uint32_t a, std::uint32_t b, std::uint32_t limit) const;
    Bucket& BucketOf(std::uint32_t head) { return buckets_[(head * 0x9E3779B1u) >> hash_shift_]; }
    std::uint32_t HeadAt(std::uint32_t at) const;
    static std::uint32_t NearOf(std::uint32_t head);

    std::uint32_t window_size_;
    std::uint32_t max_offset_;
    std::vector<std::uint8_t> data_;  // two windows and a little slack for word compares
    std::uint32_t end_ = 0;           // bytes in data_
    std::uint32_t frame_ = 0;         // where the frame to match starts
    std::uint32_t inserted_ = 0;      // positions below this are in the chains
    unsigned hash_shift_;
    std::vector<Bucket> buckets_;
    std::vector<std::uint32_t> near_;  // the latest position of each three-byte hash
    bool slid_ = false;                // since Reset: the buckets hold positions no longer in data_
};

}  // namespace quorvex6::backend::codecs::lzx
