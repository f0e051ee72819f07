// The method table: every codec a container may ask for, by the container's method id.
#include <array>

#include "codecs/bzip2/bzip2.h"
#include "codecs/codec.h"
#include "codecs/deflate/deflate.h"
#include "codecs/deflate/gzip.h"
#include "codecs/lh/codecs.h"
#include "codecs/lzma/lzma.h"
#include "codecs/rar15/rar15_decoder.h"
#include "codecs/rar2/rar20_decoder.h"
#include "codecs/rar3/rar3_decoder.h"
#include "codecs/rar5/rar5_decoder.h"
#include "codecs/zstd/zstd.h"

namespace quorvex6::backend::codecs {

namespace {

template <int Level>
std::unique_ptr<Encoder> deflate_encoder() {
    return deflate::MakeEncoder(Level);
}
std::unique_ptr<Encoder> gzip_encoder() { return deflate::MakeGzipEncoder(6); }

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
    // RAR 1.5's adaptive LZ (methods 1-5 share it).
    Method{"rar15", ::quorvex6::backend::codecs::rar15::MakeDecoder, nullptr},
    // RAR 2.0's LZ and multimedia mode (methods 1-5 share them).
    Method{"rar20", ::quorvex6::backend::codecs::rar2::MakeDecoder, nullptr},
    // RAR 5.0's LZ (methods 1-5 share it), a file that continues no solid stream.
    Method{"rar5", ::quorvex6::backend::codecs::rar5::MakeDecoder, nullptr},
    // RAR 2.9's LZ and PPMd (RAR 4 entries of version 29, methods 1-5 alike).
    Method{"rar29", ::quorvex6::backend::codecs::rar3::MakeDecoder, nullptr},
    // Raw deflate at each level (ZIP method 8, gzip members); "deflate" is level 6.
    Method{"deflate", deflate::MakeDecoder, deflate_encoder<6>},
    Method{"deflate1", deflate::MakeDecoder, deflate_encoder<1>},
    Method{"deflate2", deflate::MakeDecoder, deflate_encoder<2>},
    Method{"deflate3", deflate::MakeDecoder, deflate_encoder<3>},
    Method{"deflate4", deflate::MakeDecoder, deflate_encoder<4>},
    Method{"deflate5", deflate::MakeDecoder, deflate_encoder<5>},
    Method{"deflate6", deflate::MakeDecoder, deflate_encoder<6>},
    Method{"deflate7", deflate::MakeDecoder, deflate_encoder<7>},
    Method{"deflate8", deflate::MakeDecoder, deflate_encoder<8>},
    Method{"deflate9", deflate::MakeDecoder, deflate_encoder<9>},
    Method{"gzip", deflate::MakeGzipDecoder, gzip_encoder},
    Method{"bzip2", bzip2::MakeDecoder, nullptr},
    Method{"bzip2-stream", bzip2::MakeStreamDecoder, nullptr},
    Method{"lzma-zip", lzma::make_zip_decoder, nullptr},
    Method{"zstd", zstd::MakeDecoder, zstd::MakeEncoder},
};

}  // namespace

const Method* FindMethod(std::string_view id) {
    for (const Method& m : kMethods) {
        if (m.id == id) return &m;
    }
    return nullptr;
}

}  // namespace quorvex6::backend::codecs
