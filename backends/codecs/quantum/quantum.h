// Quantum: LZ77 with adaptive arithmetic coding. A folder is one stream cut into frames of at
// most 32 KiB (one CFDATA each); the coder restarts at every frame, the models and the window
// carry on.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "codecs/codec.h"
#include "codecs/quantum/quantum_match_finder.h"
#include "codecs/quantum/quantum_model.h"
#include "codecs/quantum/quantum_parse.h"

namespace quorvex6::backend::codecs::quantum {

inline constexpr std::size_t kFrameLimit = 32768;
inline constexpr unsigned kMinWindowBits = 10, kMaxWindowBits = 21;
inline constexpr unsigned kMinLevel = 1, kMaxLevel = 7;

// Decodes the frames of one folder in order; Reset before the next folder.
class FrameDecoder {
  public:
    // `window_bits` must lie in kMinWindowBits..kMaxWindowBits.
    explicit FrameDecoder(unsigned window_bits);

    void Reset();
    // `out` is exactly the frame's decoded size. Bytes after the frame's data are ignored, as
    // writers leave a few.
    ::quorvex6::backend::codecs::Status Decode(std::span<const std::uint8_t> in,
                                               std::span<std::uint8_t> out);

  private:
    unsigned window_bits_;
    std::vector<std::uint8_t> window_;
    std::size_t window_at_ = 0;
    ModelSet models_;
};

class FrameWriter;

// Encodes the frames of one folder in order; Reset before the next folder. Each frame's bytes
// are one CFDATA payload and decode with exactly the bits written, so no reader looks past it.
class FrameEncoder {
  public:
    // `window_bits` in kMinWindowBits..kMaxWindowBits; `level` kMinLevel..kMaxLevel is how hard
    // matches are searched.
    FrameEncoder(unsigned window_bits, unsigned level);

    // Bytes an encoder of `window_bits` holds.
    static std::uint64_t Footprint(unsigned window_bits);

    void Reset();
    // `in` holds kFrameLimit bytes for every frame but a folder's last, and at least one.
    // Replaces `out` with the frame's bytes.
    void Encode(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& out);

  private:
    void EncodeGreedy(std::span<const std::uint8_t> frame, FrameWriter& writer);
    void EncodePriced(std::span<const std::uint8_t> frame, FrameWriter& writer);

    ModelSet models_;
    unsigned window_bits_;
    SearchEffort effort_;
    MatchFinder finder_;
    PricedParser parser_;
    std::vector<Match> steps_;
};

}  // namespace quorvex6::backend::codecs::quantum
