// LZX encoding of one stream, frame by frame, as CAB wants it: each frame's bytes come out as
// one data block's payload, ending on a 16-bit boundary. A block spans frames while sharing
// its trees costs less than sending new ones; it is verbatim or aligned-offset as costs less,
// and a frame that no block would shrink goes out uncompressed. The E8 translation is on with
// makecab's size.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "codecs/frame_codec.h"
#include "codecs/lzx/lzx_block_plan.h"
#include "codecs/lzx/lzx_constants.h"
#include "codecs/lzx/lzx_matcher.h"

namespace quorvex6::backend::codecs::lzx {

using PackedFrame = codecs::PackedFrame;

class Encoder {
  public:
    // `window_bits` in kMinWindowBits..kMaxWindowBits.
    explicit Encoder(unsigned window_bits);

    // Back to the start of a stream.
    void Reset();

    // Takes the next frame, kFrameSize bytes for all but a stream's last. Frames whose block is
    // settled are appended to `done`, in order: none, one or several.
    void EncodeFrame(std::span<const std::uint8_t> in, std::vector<PackedFrame>& done);
    // Gives the frames still held; call once the stream's last frame is in.
    void Finish(std::vector<PackedFrame>& done);

  private:
    struct Held {
        std::vector<Item> items;
        std::uint32_t size = 0;
    };
    BitWriter StartFrame(std::vector<PackedFrame>& done, std::uint32_t size);
    void FlushBlock(std::vector<PackedFrame>& done);
    void WriteStored(std::span<const std::uint8_t> frame,
                     const std::array<std::uint32_t, kRepeatOffsets>& repeats,
                     std::vector<PackedFrame>& done);

    Matcher matcher_;
    unsigned main_symbols_;
    std::uint64_t position_ = 0;
    std::uint32_t frames_ = 0;
    bool started_ = false;  // the stream's header is written
    std::array<std::uint32_t, kRepeatOffsets> repeats_{};
    std::array<std::uint8_t, kMaxMainSymbols> main_lengths_{};  // as the decoder holds them
    std::array<std::uint8_t, kLengthSymbols> length_lengths_{};
    std::vector<Held> held_;  // frames of the block not yet written
    std::size_t held_count_ = 0;
    BlockPlan block_;
    std::uint64_t block_bits_ = 0;
};

}  // namespace quorvex6::backend::codecs::lzx
