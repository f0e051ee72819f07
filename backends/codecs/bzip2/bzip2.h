// bzip2 streams (as ZIP method 12 stores them), decoding only: nothing here writes bzip2.
#ifndef QV_CODECS_BZIP2_BZIP2_H
#define QV_CODECS_BZIP2_BZIP2_H

#include <memory>

#include "codecs/codec.h"

namespace quorvex6::codecs::bzip2 {

std::unique_ptr<Decoder> make_decoder();

}  // namespace quorvex6::codecs::bzip2

#endif
