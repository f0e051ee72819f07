// bzip2 streams, decoding only: nothing here writes bzip2.
#pragma once

#include <memory>

#include "codecs/codec.h"

namespace quorvex6::backend::codecs::bzip2 {

// One stream of a known decoded size (as ZIP method 12 stores it).
std::unique_ptr<Decoder> MakeDecoder();
// A whole file's streams, one after another to the end of the input; the size is the streams'
// own (unpacked_size is not used).
std::unique_ptr<Decoder> MakeStreamDecoder();

}  // namespace quorvex6::backend::codecs::bzip2
