// The packed stream of one member, most significant bit first, pulled from its Source in
// chunks. Past the member's last byte it gives zeros and says so through overrun(), so that
// the decoder checks once per step instead of once per bit.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "io/stream.h"

namespace quorvex6::backend::codecs::rar3 {

class BitInput {
  public:
    BitInput() : chunk_(kChunk) {}

    // Starts over on another member's packed bytes.
    void Reset(io::Source& in, std::uint64_t packed_size);

    // The next 16 bits, without taking them.
    std::uint32_t Peek16() {
        if (count_ < 16) Refill();
        return static_cast<std::uint32_t>(acc_ >> 48);
    }
    void Skip(unsigned n) {
        acc_ <<= n;
        count_ -= n;
    }
    // Up to 16 bits.
    std::uint32_t Bits(unsigned n) {
        if (n == 0) return 0;
        if (count_ < n) Refill();
        auto v = static_cast<std::uint32_t>(acc_ >> (64 - n));
        Skip(n);
        return v;
    }
    void AlignToByte() { Skip(count_ & 7); }

    // True once a zero past the member's end has been taken.
    bool overrun() const { return padding_ > count_; }
    // True when every bit of the member has been taken.
    bool exhausted() const { return padding_ >= count_ && left_ == 0 && at_ == end_; }
    bool read_failed() const { return read_failed_; }

  private:
    static constexpr std::size_t kChunk = 64 * 1024;

    void Refill() {
        if (end_ - at_ >= 8) {
            // Whole bytes at once; the part of a byte past them is ORed in again, unchanged,
            // by the next refill.
            std::uint64_t v = 0;
            for (unsigned i = 0; i < 8; ++i) v = (v << 8) | chunk_[at_ + i];
            unsigned take = (64 - count_) / 8;
            acc_ |= v >> count_;
            at_ += take;
            count_ += take * 8;
            return;
        }
        while (count_ <= 56) {
            acc_ |= static_cast<std::uint64_t>(NextByte()) << (56 - count_);
            count_ += 8;
        }
    }
    std::uint8_t NextByte() {
        if (at_ == end_ && !FillChunk()) {
            padding_ += 8;
            return 0;
        }
        return chunk_[at_++];
    }
    bool FillChunk();

    io::Source* in_ = nullptr;
    std::uint64_t left_ = 0;  // bytes of the member not yet pulled
    std::vector<std::uint8_t> chunk_;
    std::size_t at_ = 0, end_ = 0;
    std::uint64_t acc_ = 0;  // bits left-aligned
    unsigned count_ = 0;     // bits in acc_, padding included
    unsigned padding_ = 0;   // zero bits appended past the member's end, capped
    bool read_failed_ = false;
};

}  // namespace quorvex6::backend::codecs::rar3
