// Bits as LZX sends them: into 16-bit little-endian words, most significant bit first.
#pragma once
#include <cstdint>
#include <vector>

namespace quorvex6::backend::codecs::lzx {

class BitWriter {
  public:
    explicit BitWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    // `bits` at most 32; `value` below 2^bits.
    void Write(std::uint32_t value, unsigned bits) {
        pending_ = (pending_ << bits) | value;
        count_ += bits;
        while (count_ >= 16) {
            count_ -= 16;
            auto word = static_cast<std::uint16_t>(pending_ >> count_);
            out_.push_back(static_cast<std::uint8_t>(word));
            out_.push_back(static_cast<std::uint8_t>(word >> 8));
        }
    }
    // Pads to a 16-bit boundary; `whole_word` writes a full word when already there.
    void Align(bool whole_word) {
        if (count_ != 0)
            Write(0, 16 - count_);
        else if (whole_word)
            Write(0, 16);
    }

  private:
    std::vector<std::uint8_t>& out_;
    std::uint64_t pending_ = 0;
    unsigned count_ = 0;
};

}  // namespace quorvex6::backend::codecs::lzx
