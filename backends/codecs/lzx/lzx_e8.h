// The E8 call translation of one frame: x86 CALL targets are sent absolute, so that calls to
// one function repeat. `position` is the frame's offset in the stream.
#pragma once
#include <cstdint>
#include <span>

namespace quorvex6::backend::codecs::lzx {

// What the encoder does to its input before matching.
void E8Encode(std::span<std::uint8_t> frame, std::uint32_t position, std::uint32_t file_size);
// What the decoder does to a decoded frame: the inverse.
void E8Decode(std::span<std::uint8_t> frame, std::uint32_t position, std::uint32_t file_size);

}  // namespace quorvex6::backend::codecs::lzx
