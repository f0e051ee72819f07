// The sliding window of a RAR 5.0 stream: a ring whose size is a power of two, sized to what
// the stream can reach back to and grown, contents kept, when a solid stream goes on past it.
#pragma once
#include <cstdint>
#include <memory>

namespace quorvex6::backend::codecs::rar5 {

// The largest dictionary RAR 5.0's LZ declares; anything above is refused before allocation.
inline constexpr std::uint64_t kMaxDictionary = std::uint64_t{4} << 30;

class Window {
  public:
    // At least `wanted` bytes (at most kMaxDictionary), rounded up to a power of two, for a
    // stream that has produced `stream_bytes`. Grows only: the last bytes of the stream stay at
    // their positions. Throws std::bad_alloc when the memory cannot be had. A new ring is not
    // cleared: the decoder refuses to reach back past the start of the stream.
    void Fit(std::uint64_t stream_bytes, std::uint64_t wanted);

    std::uint64_t size() const { return size_; }
    std::uint8_t& operator[](std::uint64_t position) {
        return bytes_[static_cast<std::size_t>(position & mask_)];
    }
    std::uint8_t* at(std::uint64_t position) {
        return bytes_.get() + static_cast<std::size_t>(position & mask_);
    }
    const std::uint8_t* at(std::uint64_t position) const {
        return bytes_.get() + static_cast<std::size_t>(position & mask_);
    }

  private:
    std::unique_ptr<std::uint8_t[]> bytes_;
    std::uint64_t size_ = 0;
    std::uint64_t mask_ = 0;
};

}  // namespace quorvex6::backend::codecs::rar5
