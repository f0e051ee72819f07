// The LZ decoder of RAR 2.9 to 4.x (a RAR 4 entry's version 29, methods 1-5): Huffman-coded
// literals and matches over a window of up to 4 MiB, PPMd blocks, and the standard filters.
// One object decodes the members of a solid stream in turn when prepare() says they continue.
#pragma once
#include <cstdint>
#include <memory>

#include "codecs/codec.h"

namespace quorvex6::backend::codecs::rar3 {

// The largest dictionary RAR 2.9 declares; a match reaching further back is damage.
inline constexpr std::uint64_t kMaxWindow = std::uint64_t{4} << 20;

std::unique_ptr<::quorvex6::backend::codecs::Decoder> MakeDecoder();

}  // namespace quorvex6::backend::codecs::rar3
