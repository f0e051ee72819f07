// The LH family's rows of the method table.
#include <array>

#include "codecs/lh/codecs.h"
#include "codecs/method_tables.h"

namespace quorvex6::backend::codecs {

namespace {

template <const lh::StaticParams& P>
std::unique_ptr<Decoder> static_decoder() {
    return lh::MakeStaticDecoder(P);
}
template <const lh::StaticParams& P>
std::unique_ptr<Encoder> static_encoder() {
    return lh::MakeStaticEncoder(P);
}

constexpr std::array kMethods = {
    Method{"lh0", lh::MakeStoredDecoder, lh::MakeStoredEncoder},
    Method{"lz4", lh::MakeStoredDecoder, nullptr},
    Method{"lh1", lh::MakeLh1Decoder, lh::MakeLh1Encoder},
    Method{"lh4", static_decoder<lh::kLh4>, nullptr},
    Method{"lh5", static_decoder<lh::kLh5>, static_encoder<lh::kLh5>},
    Method{"lh6", static_decoder<lh::kLh6>, static_encoder<lh::kLh6>},
    Method{"lh7", static_decoder<lh::kLh7>, static_encoder<lh::kLh7>},
    Method{"lzs", lh::MakeLzsDecoder, nullptr},
    Method{"lz5", lh::MakeLz5Decoder, nullptr},
    // ARJ's methods by number; 1..3 differ only in how hard their encoders search.
    Method{"arj0", lh::MakeStoredDecoder, nullptr},
    Method{"arj1", static_decoder<lh::kArj>, static_encoder<lh::kArj>},
    Method{"arj2", static_decoder<lh::kArj>, nullptr},
    Method{"arj3", static_decoder<lh::kArj>, nullptr},
    Method{"arj4", lh::MakeArjFastestDecoder, nullptr},
};

}  // namespace

MethodTable LhMethods() { return kMethods; }

}  // namespace quorvex6::backend::codecs
