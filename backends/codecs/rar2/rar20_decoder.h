// The RAR 2.0 decoder (headers' versions 20 and 26): LZ77 with Huffman codes, or per block the
// multimedia mode of up to four delta-coded channels. In a solid stream the window, the code
// lengths, the recent distances and the audio filters go on from the file before.
#pragma once

#include <cstdint>
#include <memory>

#include "codecs/codec.h"

namespace quorvex6::backend::codecs::rar2 {

// RAR 2.0 declares at most 1 MiB; a larger declaration is refused rather than allocated.
inline constexpr std::uint64_t kMaxWindow = std::uint64_t{4} << 20;

std::unique_ptr<::quorvex6::backend::codecs::Decoder> MakeDecoder();

}  // namespace quorvex6::backend::codecs::rar2
