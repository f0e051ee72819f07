// The carry-less range coder of RAR 3.x's PPMd blocks: instead of carrying into bytes already
// written, the encoder shrinks the range whenever low and low + range straddle a byte boundary.
#pragma once

#include <cstdint>

#include "codecs/ppmd/byte_input.h"

namespace quorvex6::backend::codecs::ppmd {

class RarRangeDecoder {
  public:
    explicit RarRangeDecoder(ByteInput& in) : in_(in) {}

    // Reads the 4 starting bytes.
    void Start() {
        low_ = 0;
        code_ = 0;
        range_ = 0xFFFFFFFF;
        broken_ = false;
        for (int i = 0; i < 4; ++i) code_ = (code_ << 8) | in_.Next();
    }

    // Where the coded value falls in 0..total-1; a value of total or more means damage.
    std::uint32_t Threshold(std::uint32_t total) {
        Divide(total);
        return (code_ - low_) / range_;
    }

    // Takes the interval [start, start + size) of the total given to Threshold.
    void Decode(std::uint32_t start, std::uint32_t size) {
        low_ += start * range_;
        range_ *= size;
        Normalize();
    }

    // Threshold then Decode, but comparing the code with the bound instead of dividing it by
    // the range: one division less on the model's most frequent step.
    int DecodeBit(std::uint32_t size0, std::uint32_t total) {
        Divide(total);
        const std::uint32_t bound = range_ * size0;
        if (code_ - low_ < bound) {
            range_ = bound;
            Normalize();
            return 0;
        }
        low_ += bound;
        range_ *= total - size0;
        Normalize();
        return 1;
    }

    bool broken() const { return broken_; }
    // True once the coder has asked for a byte the input did not have.
    bool past_end() const { return in_.past_end(); }

  private:
    static constexpr std::uint32_t kTop = 1u << 24, kBottom = 1u << 15;

    void Divide(std::uint32_t total) {
        range_ /= total;
        if (range_ == 0) {
            // Only crafted input gets here; a range of 1 keeps the arithmetic defined.
            range_ = 1;
            broken_ = true;
        }
    }

    void Normalize() {
        for (;;) {
            if ((low_ ^ (low_ + range_)) >= kTop) {
                if (range_ >= kBottom) break;
                range_ = (0 - low_) & (kBottom - 1);
            }
            code_ = (code_ << 8) | in_.Next();
            range_ <<= 8;
            low_ <<= 8;
        }
    }

    CoderInput in_;
    std::uint32_t low_ = 0, code_ = 0, range_ = 0xFFFFFFFF;
    bool broken_ = false;
};

}  // namespace quorvex6::backend::codecs::ppmd
