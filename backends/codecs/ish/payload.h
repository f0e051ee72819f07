// The bytes the encoder spreads over its data lines: the file's bytes, ~CRC-16 of them
// big-endian, then zeros up to the end of the last line.
#pragma once

#include <cstdint>
#include <vector>

#include "codecs/codec.h"

namespace quorvex6::backend::codecs::ish {

class Payload {
  public:
    Payload(Source& in, std::uint32_t size);

    // Fills `n` bytes; false with status() when the Source fails or does not hold exactly
    // `size` bytes (truncated when it ends early, corrupt when more follows).
    bool fill(std::uint8_t* out, std::size_t n);
    Status status() const { return status_; }

  private:
    bool refill();
    bool at_end();
    std::uint8_t crc_byte(int i) const;

    Source& in_;
    std::uint64_t left_;
    std::vector<std::uint8_t> buffer_;
    std::size_t pos_ = 0, end_ = 0;
    std::uint16_t crc_;
    int trailer_ = 0;
    bool ended_ = false;
    Status status_ = Status::kOk;
};

}  // namespace quorvex6::backend::codecs::ish
