// Factories of the LH family's codecs, for the method table.
#ifndef QV_CODECS_LH_CODECS_H
#define QV_CODECS_LH_CODECS_H

#include "codecs/codec.h"
#include "codecs/lh/methods.h"

#include <memory>

namespace quorvex6::codecs::lh {

std::unique_ptr<Decoder> make_static_decoder(const StaticParams& params);
std::unique_ptr<Encoder> make_static_encoder(const StaticParams& params);
std::unique_ptr<Decoder> make_lh1_decoder();
std::unique_ptr<Encoder> make_lh1_encoder();
std::unique_ptr<Decoder> make_lzs_decoder();
std::unique_ptr<Decoder> make_lz5_decoder();
std::unique_ptr<Decoder> make_arj_fastest_decoder();
std::unique_ptr<Decoder> make_stored_decoder();
std::unique_ptr<Encoder> make_stored_encoder();

}  // namespace quorvex6::codecs::lh

#endif
