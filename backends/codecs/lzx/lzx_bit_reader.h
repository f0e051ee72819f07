// One frame's packed bytes as LZX reads them: 16-bit little-endian words, each taken from its
// most significant bit. Reading past the end yields zeros, so that decoding never runs off
// the buffer; Overran() tells whether bits past the end were used.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

namespace quorvex6::backend::codecs::lzx {

class BitReader {
  public:
    explicit BitReader(std::span<const std::uint8_t> in)
        : begin_(in.data()), at_(in.data()), end_(in.data() + in.size()) {}

    // Up to 32 bits ahead, without using them.
    std::uint32_t Peek(unsigned n) {
        if (count_ < n) Refill();
        return static_cast<std::uint32_t>(bits_ >> (64 - n));
    }
    void Skip(unsigned n) {
        bits_ <<= n;
        count_ -= n;
    }
    std::uint32_t Read(unsigned n) {
        if (n == 0) return 0;
        std::uint32_t v = Peek(n);
        Skip(n);
        return v;
    }

    bool Overran() const { return Used() > Available(); }

    // To the next 16-bit boundary; `whole_word` also drops a full word when already there,
    // as an uncompressed block's header wants.
    void Align(bool whole_word) {
        auto partial = static_cast<unsigned>(Used() % 16);
        if (partial != 0)
            Skip16(16 - partial);
        else if (whole_word)
            Skip16(16);
    }

    // Byte access for uncompressed blocks, from the current (16-bit aligned) place. Returns
    // null, and leaves the reader overrun, when the bytes are not all there.
    const std::uint8_t* TakeBytes(std::size_t n) {
        std::size_t used = Used() / 8;
        std::size_t size = static_cast<std::size_t>(end_ - begin_);
        bits_ = 0;
        count_ = 0;
        if (used > size || n > size - used) {
            at_ = end_;
            fed_ = Available() + 16;
            return nullptr;
        }
        at_ = begin_ + used + n;
        fed_ = 8 * (used + n);
        return begin_ + used;
    }
    std::size_t BytesLeft() const {
        std::size_t used = (Used() + 7) / 8;
        std::size_t size = static_cast<std::size_t>(end_ - begin_);
        return used >= size ? 0 : size - used;
    }

  private:
    void Skip16(unsigned n) {
        Peek(n);
        Skip(n);
    }
    std::size_t Used() const { return fed_ - count_; }
    // An odd last byte counts as a whole word: its missing half reads as zeros.
    std::size_t Available() const {
        return 16 * ((static_cast<std::size_t>(end_ - begin_) + 1) / 2);
    }
    void Refill() {
        while (count_ <= 48) {
            std::uint64_t word = 0;
            if (end_ - at_ >= 2) {
                word = at_[0] | (at_[1] << 8);
                at_ += 2;
            } else if (at_ != end_) {
                word = *at_++;
            }
            bits_ |= word << (48 - count_);
            count_ += 16;
            fed_ += 16;
        }
    }

    const std::uint8_t* begin_;
    const std::uint8_t* at_;
    const std::uint8_t* end_;
    std::uint64_t bits_ = 0;
    unsigned count_ = 0;
    std::size_t fed_ = 0;  // bits taken into bits_, zeros past the end included
};

}  // namespace quorvex6::backend::codecs::lzx
