// Factories of the LH family's codecs, for the method table.
#pragma once

#include <memory>

#include "codecs/codec.h"
#include "codecs/lh/methods.h"

namespace quorvex6::backend::codecs::lh {

std::unique_ptr<Decoder> MakeStaticDecoder(const StaticParams& params);
std::unique_ptr<Encoder> MakeStaticEncoder(const StaticParams& params);
std::unique_ptr<Decoder> MakeLh1Decoder();
std::unique_ptr<Encoder> MakeLh1Encoder();
std::unique_ptr<Decoder> MakeLzsDecoder();
std::unique_ptr<Decoder> MakeLz5Decoder();
std::unique_ptr<Decoder> MakeArjFastestDecoder();
std::unique_ptr<Decoder> MakeStoredDecoder();
std::unique_ptr<Encoder> MakeStoredEncoder();

}  // namespace quorvex6::backend::codecs::lh
