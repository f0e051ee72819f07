// The method table: every codec a container may ask for, by the container's method id.
#include "codecs/codec.h"

#include "codecs/lh/codecs.h"

#include <array>

namespace quorvex6::codecs {

namespace {

template <const lh::StaticParams& P>
std::unique_ptr<Decoder> static_decoder() { return lh::make_static_decoder(P); }
template <const lh::StaticParams& P>
std::unique_ptr<Encoder> static_encoder() { return lh::make_static_encoder(P); }

constexpr std::array kMethods = {
    Method{"lh0", lh::make_stored_decoder, lh::make_stored_encoder},
    Method{"lz4", lh::make_stored_decoder, nullptr},
    Method{"lh1", lh::make_lh1_decoder, lh::make_lh1_encoder},
    Method{"lh4", static_decoder<lh::kLh4>, nullptr},
    Method{"lh5", static_decoder<lh::kLh5>, static_encoder<lh::kLh5>},
    Method{"lh6", static_decoder<lh::kLh6>, static_encoder<lh::kLh6>},
    Method{"lh7", static_decoder<lh::kLh7>, static_encoder<lh::kLh7>},
    Method{"lzs", lh::make_lzs_decoder, nullptr},
    Method{"lz5", lh::make_lz5_decoder, nullptr},
};

}  // namespace

const Method* find_method(std::string_view id) {
    for (const Method& m : kMethods) {
        if (m.id == id) return &m;
    }
    return nullptr;
}

}  // namespace quorvex6::codecs
