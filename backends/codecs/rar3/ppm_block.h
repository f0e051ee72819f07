// RAR 2.9's PPMd blocks: a header (model order, memory, escape byte) and then bytes from a
// variant H model under a range coder that reads the same packed stream as the LZ blocks.
#pragma once
#include "codecs/ppmd/byte_input.h"
#include "codecs/ppmd/model_h.h"
#include "codecs/ppmd/rar_range_decoder.h"
#include "codecs/rar3/bit_input.h"

namespace quorvex6::backend::codecs::rar3 {

class PpmBlock {
  public:
    explicit PpmBlock(BitInput& bits) : bits_(bits), bytes_(bits), coder_(bytes_) {}

    // A new stream: no model yet, the default escape byte.
    void Reset() {
        escape_ = kDefaultEscape;
        model_started_ = false;
    }
    // Reads a block header (after its flag bit) and starts the coder; false when the header
    // is damage or continues a model never started.
    bool Start();
    // The next byte, or -1 on damage.
    int Next() { return model_.DecodeSymbol(coder_); }
    // The byte that introduces a code (end of block or file, a match, a filter) in the data.
    int escape() const { return escape_; }

  private:
    static constexpr int kDefaultEscape = 2;

    class Bytes final : public ppmd::ByteInput {
      public:
        explicit Bytes(BitInput& bits) : bits_(bits) {}
        int next_byte() override {
            if (!bits_.exhausted()) return static_cast<int>(bits_.Bits(8));
            // A few bytes past the end are the coder reading ahead; more is a stream cut short,
            // told to the decoder as an overrun of its input.
            if (++past_end_ > kReadAhead) bits_.Bits(8);
            return -1;
        }
        void Restart() { past_end_ = 0; }

      private:
        static constexpr unsigned kReadAhead = 8;
        BitInput& bits_;
        unsigned past_end_ = 0;
    };

    BitInput& bits_;
    Bytes bytes_;
    ppmd::RarRangeDecoder coder_;
    ppmd::ModelH model_;
    int escape_ = kDefaultEscape;
    bool model_started_ = false;
};

}  // namespace quorvex6::backend::codecs::rar3
