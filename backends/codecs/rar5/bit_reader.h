// Bits of one RAR 5.0 block, most significant first. Reading past the block's last valid bit
// gives zeros and is caught by the caller through overrun().
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quorvex6::backend::codecs::rar5 {

class BitReader {
  public:
    // `bytes` carries at least 4 bytes of padding after the block.
    BitReader(const std::vector<std::uint8_t>& bytes, std::uint64_t end_bit)
        : bytes_(bytes), end_(end_bit) {}

    // The next 16 bits, without taking them.
    std::uint32_t Peek16() const {
        std::size_t at = static_cast<std::size_t>(pos_ >> 3);
        if (at + 4 <= bytes_.size()) {
            std::uint32_t v = (static_cast<std::uint32_t>(bytes_[at]) << 24) |
                              (static_cast<std::uint32_t>(bytes_[at + 1]) << 16) |
                              (static_cast<std::uint32_t>(bytes_[at + 2]) << 8) | bytes_[at + 3];
            return (v << (pos_ & 7)) >> 16;
        }
        if (at + 3 > bytes_.size()) return 0;
        std::uint32_t v = (static_cast<std::uint32_t>(bytes_[at]) << 16) |
                          (static_cast<std::uint32_t>(bytes_[at + 1]) << 8) | bytes_[at + 2];
        return (v >> (8 - (pos_ & 7))) & 0xFFFF;
    }
    void Skip(unsigned n) { pos_ += n; }
    // Up to 16 bits.
    std::uint32_t Bits(unsigned n) {
        if (n == 0) return 0;
        std::uint32_t v = Peek16() >> (16 - n);
        pos_ += n;
        return v;
    }
    bool more() const { return pos_ < end_; }
    bool overrun() const { return pos_ > end_; }

  private:
    const std::vector<std::uint8_t>& bytes_;
    std::uint64_t pos_ = 0;
    std::uint64_t end_;
};

}  // namespace quorvex6::backend::codecs::rar5
