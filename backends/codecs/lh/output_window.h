// The decoders' history and output in one flat buffer: bytes are decoded at `pos`, copies read
// behind it, and full chunks go to the Sink while the last window's worth slides to the front.
// The history starts as spaces, as the LH encoders assumed.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "codecs/codec.h"

namespace quorvex6::backend::codecs::lh {

class OutputWindow {
  public:
    OutputWindow(Sink& out, std::size_t history, std::uint64_t total);

    std::uint64_t remaining() const { return remaining_; }
    bool failed() const { return failed_; }

    void literal(std::uint8_t b) {
        buf_[pos_++] = b;
        --remaining_;
        if (pos_ >= limit_) slide();
    }
    // distance is 1..history; length is clipped to what the member still needs.
    void copy(std::size_t distance, std::size_t length) {
        if (length > remaining_) length = static_cast<std::size_t>(remaining_);
        std::uint8_t* dst = buf_.data() + pos_;
        const std::uint8_t* src = dst - distance;
        if (distance >= 8) {
            for (std::size_t i = 0; i < length; i += 8) std::memcpy(dst + i, src + i, 8);
        } else {
            for (std::size_t i = 0; i < length; ++i) dst[i] = src[i];
        }
        pos_ += length;
        remaining_ -= length;
        if (pos_ >= limit_) slide();
    }
    // Pushes what is still buffered; true when everything reached the Sink.
    bool finish();

  private:
    void slide();

    Sink& out_;
    std::size_t history_;
    std::vector<std::uint8_t> buf_;
    std::size_t pos_;
    std::size_t flushed_;
    std::size_t limit_;
    std::uint64_t remaining_;
    bool failed_ = false;
};

}  // namespace quorvex6::backend::codecs::lh
