// The range coder of 7z's PPMd streams: same model as RAR's, a coder with carries, one zero
// byte then 4 code bytes at the start.
#pragma once

#include <cstdint>

#include "codecs/ppmd/byte_input.h"

namespace quorvex6::backend::codecs::ppmd {

class SevenZipRangeDecoder {
  public:
    explicit SevenZipRangeDecoder(ByteInput& in) : in_(in) {}

    // False when the stream does not start as 7z's encoder starts it.
    bool Start() {
        code_ = 0;
        range_ = 0xFFFFFFFF;
        if (in_.Next() != 0) return false;
        for (int i = 0; i < 4; ++i) code_ = (code_ << 8) | in_.Next();
        return code_ < 0xFFFFFFFF;
    }

    std::uint32_t Threshold(std::uint32_t total) { return code_ / (range_ /= total); }

    void Decode(std::uint32_t start, std::uint32_t size) {
        code_ -= start * range_;
        range_ *= size;
        Normalize();
    }

    int DecodeBit(std::uint32_t size0, std::uint32_t total) {
        const std::uint32_t bound = (range_ / total) * size0;
        int bit = 0;
        if (code_ < bound) {
            range_ = bound;
        } else {
            bit = 1;
            code_ -= bound;
            range_ -= bound;
        }
        Normalize();
        return bit;
    }

    // The range never drops below 2^24 here, so no division can reach zero.
    static constexpr bool broken() { return false; }
    bool past_end() const { return in_.past_end(); }

  private:
    static constexpr std::uint32_t kTop = 1u << 24;

    void Normalize() {
        while (range_ < kTop) {
            code_ = (code_ << 8) | in_.Next();
            range_ <<= 8;
        }
    }

    CoderInput in_;
    std::uint32_t code_ = 0, range_ = 0xFFFFFFFF;
};

}  // namespace quorvex6::backend::codecs::ppmd
