// zstd streams through libzstd: one or more frames, decoded to the end of the input; written
// as one frame with its content checksum, as the zstd program writes it.
#pragma once

#include <memory>

#include "codecs/codec.h"

namespace quorvex6::backend::codecs::zstd {

std::unique_ptr<Decoder> MakeDecoder();
// Level 3 on two worker threads where the library has them.
std::unique_ptr<Encoder> MakeEncoder();

}  // namespace quorvex6::backend::codecs::zstd
