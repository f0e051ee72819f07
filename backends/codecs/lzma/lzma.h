// LZMA as ZIP method 14 stores it: a 4-byte header (version, properties size), 5 bytes of
// LZMA properties, then the raw LZMA1 stream. Decoding only.
#pragma once

#include <memory>

#include "codecs/codec.h"

namespace quorvex6::backend::codecs::lzma {

std::unique_ptr<Decoder> make_zip_decoder();

}  // namespace quorvex6::backend::codecs::lzma
