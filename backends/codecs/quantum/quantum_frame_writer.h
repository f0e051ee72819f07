// The arithmetic encoder of one frame and the raw extra bits the decoder reads from the same
// bit stream. The decoder holds 16 code bits ahead of the interval it narrows, so extra bits
// given after the coder has shifted n times are read after code bit n + 16: they wait in a
// queue until the code bits before them are known.
#pragma once
#include <cstdint>
#include <deque>
#include <vector>

#include "codecs/quantum/quantum_model.h"

namespace quorvex6::backend::codecs::quantum {

class FrameWriter {
  public:
    // Appends the frame's bytes to `out`.
    explicit FrameWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    // Codes `symbol`, one of `model`'s, and counts it in the model.
    void Encode(Model& model, unsigned symbol);
    // `count` raw bits of `value`, most significant first.
    void Raw(std::uint32_t value, unsigned count);
    // Ends the frame on a byte boundary, every bit the decoder reads written and a zero end mark.
    void Finish();

  private:
    struct Pending {
        std::uint64_t after;  // code bits before it
        std::uint32_t value;
        unsigned count;
    };
    void Shift(unsigned bit);  // one known top bit, then the follow bits it settles
    void CodeBit(unsigned bit);
    void Put(unsigned bit);

    std::vector<std::uint8_t>& out_;
    std::uint32_t low_ = 0, high_ = 0xFFFF;
    unsigned follow_ = 0;          // underflow shifts whose bits wait for the next known one
    std::uint64_t shifts_ = 0;     // as the decoder counts its bit reads
    std::uint64_t code_bits_ = 0;  // code bits written
    std::deque<Pending> raw_;
    std::uint32_t byte_ = 0;
    unsigned byte_bits_ = 0;
};

}  // namespace quorvex6::backend::codecs::quantum
