// bzip2 streams, decoding only: nothing here writes bzip2.
#ifndef QV_CODECS_BZIP2_BZIP2_H
#define QV_CODECS_BZIP2_BZIP2_H

#include <memory>

#include "codecs/codec.h"

namespace quorvex6::codecs::bzip2 {

// One stream of a known decoded size (as ZIP method 12 stores it).
std::unique_ptr<Decoder> make_decoder();
// A whole file's streams, one after another to the end of the input; the size is the streams'
// own (unpacked_size is not used).
std::unique_ptr<Decoder> make_stream_decoder();

}  // namespace quorvex6::codecs::bzip2

#endif
