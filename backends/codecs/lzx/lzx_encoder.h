// LZX encoding of one stream, frame by frame, as CAB wants it: each frame's bytes come out
// as one data block's payload, ending on a 16-bit boundary. Each frame is one block, verbatim
// or aligned-offset as costs less, or uncompressed when neither gains. The E8 translation is
// on with makecab's size.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "codecs/lzx/lzx_bit_writer.h"
#include "codecs/lzx/lzx_constants.h"
#include "codecs/lzx/lzx_matcher.h"

namespace quorvex6::backend::codecs::lzx {

class Encoder {
  public:
    // `window_bits` in kMinWindowBits..kMaxWindowBits.
    explicit Encoder(unsigned window_bits);

    // Back to the start of a stream.
    void Reset();

    // Encodes the next frame, `in` kFrameSize bytes for all but a stream's last, into `out`.
    void EncodeFrame(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& out);

  private:
    struct Plan;
    void Count(Plan& plan) const;
    void WriteItems(const Plan& plan, BitWriter& bits) const;
    static void WriteStored(std::span<const std::uint8_t> frame,
                            const std::array<std::uint32_t, kRepeatOffsets>& repeats,
                            BitWriter& bits, std::vector<std::uint8_t>& out);

    Matcher matcher_;
    unsigned main_symbols_;
    std::uint64_t position_ = 0;
    std::uint32_t frames_ = 0;
    std::array<std::uint32_t, kRepeatOffsets> repeats_{};
    std::array<std::uint8_t, kMaxMainSymbols> main_lengths_{};  // the last block's
    std::array<std::uint8_t, kLengthSymbols> length_lengths_{};
    std::vector<Item> items_;
};

}  // namespace quorvex6::backend::codecs::lzx
