// The RAR 5.0 LZ decoder (algorithm version 0) of one file that does not continue a solid
// stream: Huffman-coded literals and matches over a window, with its filters.
#pragma once
#include <memory>

#include "codecs/codec.h"

namespace quorvex6::backend::codecs::rar5 {

// The window is the file's size (and room for a match) rounded up to a power of two, at most
// kMaxWindow: a match reaching further back is damage. The declared dictionary is never
// allocated on trust; a small file gets a small window whatever it declares.
inline constexpr std::uint64_t kMaxWindow = std::uint64_t{256} << 20;

std::unique_ptr<::quorvex6::backend::codecs::Decoder> MakeDecoder();

}  // namespace quorvex6::backend::codecs::rar5
