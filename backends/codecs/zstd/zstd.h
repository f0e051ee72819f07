// zstd streams through libzstd: one or more frames, decoded to the end of the input; written
// as one frame with its content checksum, as the zstd program writes it.
#ifndef QV_CODECS_ZSTD_ZSTD_H
#define QV_CODECS_ZSTD_ZSTD_H

#include <memory>

#include "codecs/codec.h"

namespace quorvex6::codecs::zstd {

std::unique_ptr<Decoder> make_decoder();
// Level 3 on two worker threads where the library has them.
std::unique_ptr<Encoder> make_encoder();

}  // namespace quorvex6::codecs::zstd

#endif
