// Quantum: LZ77 with adaptive arithmetic coding. A folder is one stream cut into frames of at
// most 32 KiB (one CFDATA each); the coder restarts at every frame, the models and the window
// carry on.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "codecs/codec.h"
#include "codecs/quantum/quantum_model.h"

namespace quorvex6::backend::codecs::quantum {

inline constexpr std::size_t kFrameLimit = 32768;
inline constexpr unsigned kMinWindowBits = 10, kMaxWindowBits = 21;

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
    Model selector_;
    Model literals_[4];
    Model short_positions_;   // matches of length 3
    Model middle_positions_;  // matches of length 4
    Model long_positions_;
    Model long_lengths_;
};

}  // namespace quorvex6::backend::codecs::quantum
