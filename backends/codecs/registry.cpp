// The method table: every codec a container may ask for, by the container's method id.
#include "codecs/codec.h"

#include "codecs/bzip2/bzip2.h"
#include "codecs/deflate/deflate.h"
#include "codecs/deflate/gzip.h"
#include "codecs/lh/codecs.h"
#include "codecs/lzma/lzma.h"
#include "codecs/rar5/rar5_decoder.h"
#include "codecs/zstd/zstd.h"

#include <array>

namespace quorvex6::codecs {

namespace {

template <int Level>
std::unique_ptr<Encoder> deflate_encoder() { return deflate::make_encoder(Level); }
std::unique_ptr<Encoder> gzip_encoder() { return deflate::make_gzip_encoder(6); }

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
    // ARJ's methods by number; 1..3 differ only in how hard their encoders search.
    Method{"arj0", lh::make_stored_decoder, nullptr},
    Method{"arj1", static_decoder<lh::kArj>, static_encoder<lh::kArj>},
    Method{"arj2", static_decoder<lh::kArj>, nullptr},
    Method{"arj3", static_decoder<lh::kArj>, nullptr},
    Method{"arj4", lh::make_arj_fastest_decoder, nullptr},
    // RAR 5.0's LZ (methods 1-5 share it), a file that continues no solid stream.
    Method{"rar5", ::quorvex6::backend::codecs::rar5::MakeDecoder, nullptr},
    // Raw deflate at each level (ZIP method 8, gzip members); "deflate" is level 6.
    Method{"deflate", deflate::make_decoder, deflate_encoder<6>},
    Method{"deflate1", deflate::make_decoder, deflate_encoder<1>},
    Method{"deflate2", deflate::make_decoder, deflate_encoder<2>},
    Method{"deflate3", deflate::make_decoder, deflate_encoder<3>},
    Method{"deflate4", deflate::make_decoder, deflate_encoder<4>},
    Method{"deflate5", deflate::make_decoder, deflate_encoder<5>},
    Method{"deflate6", deflate::make_decoder, deflate_encoder<6>},
    Method{"deflate7", deflate::make_decoder, deflate_encoder<7>},
    Method{"deflate8", deflate::make_decoder, deflate_encoder<8>},
    Method{"deflate9", deflate::make_decoder, deflate_encoder<9>},
    Method{"gzip", deflate::make_gzip_decoder, gzip_encoder},
    Method{"bzip2", bzip2::make_decoder, nullptr},
    Method{"bzip2-stream", bzip2::make_stream_decoder, nullptr},
    Method{"lzma-zip", lzma::make_zip_decoder, nullptr},
    Method{"zstd", zstd::make_decoder, zstd::make_encoder},
};

}  // namespace

const Method* find_method(std::string_view id) {
    for (const Method& m : kMethods) {
        if (m.id == id) return &m;
    }
    return nullptr;
}

}  // namespace quorvex6::codecs
