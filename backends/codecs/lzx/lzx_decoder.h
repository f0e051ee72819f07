// LZX decoding of one stream, frame by frame: a CAB folder is one stream and each of its data
// blocks one frame. Trees, repeat offsets and the window carry on from frame to frame.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <span>

#include "codecs/codec.h"
#include "codecs/lzx/lzx_bit_reader.h"
#include "codecs/lzx/lzx_constants.h"
#include "codecs/lzx/lzx_huffman_decoder.h"

namespace quorvex6::backend::codecs::lzx {

using Status = ::quorvex6::backend::codecs::Status;

class Decoder {
  public:
    // `window_bits` in kMinWindowBits..kMaxWindowBits.
    explicit Decoder(unsigned window_bits);

    // Back to the start of a stream.
    void Reset();

    // Decodes the next frame: `in` is its packed bytes, `out` exactly its size (kFrameSize for
    // all but a stream's last). Any fault leaves the stream unusable until Reset.
    Status DecodeFrame(std::span<const std::uint8_t> in, std::span<std::uint8_t> out);

  private:
    bool ReadBlockHeader(BitReader& in);
    bool ReadTrees(BitReader& in, bool aligned);
    bool ReadLengths(BitReader& in, std::uint8_t* lengths, unsigned first, unsigned last);
    bool DecodeSymbols(BitReader& in, std::uint32_t count);
    bool CopyStored(BitReader& in, std::uint32_t count);
    bool CopyMatch(std::uint32_t offset, std::uint32_t length);

    std::uint32_t window_size_;
    unsigned main_symbols_;
    // Left uninitialised: offsets are checked against what was decoded, so no unwritten byte
    // is ever read, and small streams touch only the pages they use.
    std::unique_ptr<std::uint8_t[]> window_;
    std::uint32_t window_at_ = 0;
    std::uint32_t frame_start_ = 0;
    std::uint64_t position_ = 0;  // bytes of the stream decoded so far
    std::uint32_t frames_ = 0;
    bool broken_ = false;
    bool header_read_ = false;
    std::uint32_t e8_size_ = 0;  // 0: no translation

    BlockType type_ = BlockType::kVerbatim;
    std::uint32_t block_length_ = 0, block_left_ = 0;
    std::array<std::uint32_t, kRepeatOffsets> repeats_{};

    // Lengths of the last trees: each block's lengths are sent as changes to them. A run may
    // reach past its tree's end, as the reference decoder lets it: hence the slack.
    static constexpr unsigned kRunSlack = 64;
    std::array<std::uint8_t, kMaxMainSymbols + kRunSlack> main_lengths_{};
    std::array<std::uint8_t, kLengthSymbols + kRunSlack> length_lengths_{};
    HuffmanDecoder main_, length_, aligned_, pretree_;
};

}  // namespace quorvex6::backend::codecs::lzx
