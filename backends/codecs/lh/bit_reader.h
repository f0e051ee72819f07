// MSB-first bit reader over one member's packed bytes. Past the member's end it reads zero
// bits and counts them, so a decoder never blocks on a short member and learns afterwards
// (overran()) whether it consumed bits that were not there.
#pragma once

#include <cstdint>
#include <vector>

#include "codecs/codec.h"

namespace quorvex6::backend::codecs::lh {

class BitReader {
  public:
    BitReader(Source& in, std::uint64_t packed_size);

    // n <= 32. The next n bits without consuming them.
    std::uint32_t peek(int n) {
        if (count_ < n) refill();
        return static_cast<std::uint32_t>(bits_ >> (64 - n));
    }
    void skip(int n) {
        if (count_ < n) refill();
        bits_ <<= n;
        count_ -= n;
    }
    std::uint32_t get(int n) {
        if (n == 0) return 0;
        std::uint32_t v = peek(n);
        skip(n);
        return v;
    }
    // Bits consumed beyond the member's end.
    bool overran() const { return padding_bits_ > static_cast<std::uint64_t>(count_); }
    bool read_failed() const { return read_failed_; }
    // One byte at a time for the byte-oriented LArc formats; -1 past the end.
    int byte();

  private:
    void refill();
    bool fill_buffer();

    Source& in_;
    std::uint64_t remaining_;
    std::vector<std::uint8_t> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    std::uint64_t bits_ = 0;
    int count_ = 0;
    std::uint64_t padding_bits_ = 0;
    bool read_failed_ = false;
};

}  // namespace quorvex6::backend::codecs::lh
