// The one shape of a frame codec: a stream cut into frames of at most kFrameLimit bytes whose
// container keeps each frame's packed and unpacked size, so that a frame decodes into exactly
// its size and the stream's state (window, models, trees) runs on from frame to frame.
//
// Contract, beside codec.h's on threads, memory and corrupt input:
// - A decoder takes the frames of one stream in order; Reset starts the next stream. A frame
//   that does not decode leaves the stream unusable until Reset.
// - An encoder takes a stream's frames in order, kFrameLimit bytes each but the last, and
//   hands out finished frames in order: Encode and Finish each append none, one or several,
//   as a frame may be held back while the block it starts is still open. Every frame handed
//   out fits the container's packed limit for its codec.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "codecs/codec.h"

namespace quorvex6::backend::codecs {

inline constexpr std::size_t kFrameLimit = 32768;

// What the container declares about a stream; each row says what it accepts.
struct FrameSetup {
    unsigned window_bits = 0;
    int level = 0;  // an encoder's effort, as the row takes it; decoders ignore it
};

struct PackedFrame {
    std::vector<std::uint8_t> bytes;
    std::uint32_t size = 0;  // decoded
};

class FrameDecoder {
  public:
    virtual ~FrameDecoder() = default;
    virtual void Reset() = 0;
    // `out` is exactly the frame's decoded size. Bytes after the frame's data are ignored, as
    // some writers leave a few.
    virtual Status Decode(std::span<const std::uint8_t> in, std::span<std::uint8_t> out) = 0;
};

class FrameEncoder {
  public:
    virtual ~FrameEncoder() = default;
    virtual void Reset() = 0;
    virtual void Encode(std::span<const std::uint8_t> in, std::vector<PackedFrame>& done) = 0;
    // Hands out the frames still held; call once the stream's last frame is in.
    virtual void Finish(std::vector<PackedFrame>& done) = 0;
};

// One row of the frame codec table; makers take only a setup the row accepts.
struct FrameMethod {
    std::string_view id;
    unsigned min_window_bits, max_window_bits;
    int min_level, max_level;
    std::unique_ptr<FrameDecoder> (*make_decoder)(const FrameSetup& setup);
    std::unique_ptr<FrameEncoder> (*make_encoder)(const FrameSetup& setup);
    // Bytes an encoder of `setup` holds, for callers that budget encoders side by side.
    std::uint64_t (*encoder_footprint)(const FrameSetup& setup);

    bool AcceptsWindow(unsigned bits) const {
        return bits >= min_window_bits && bits <= max_window_bits;
    }
    bool Accepts(const FrameSetup& setup) const {
        return AcceptsWindow(setup.window_bits) && setup.level >= min_level &&
               setup.level <= max_level;
    }
};

using FrameMethodTable = std::span<const FrameMethod>;

// The row for `id` in `table`, or nullptr when it has none.
inline const FrameMethod* FindFrameMethod(FrameMethodTable table, std::string_view id) {
    for (const FrameMethod& m : table) {
        if (m.id == id) return &m;
    }
    return nullptr;
}

}  // namespace quorvex6::backend::codecs
