// The general-purpose streams' rows of the method table.
#include <array>

#include "codecs/bzip2/bzip2.h"
#include "codecs/deflate/deflate.h"
#include "codecs/deflate/gzip.h"
#include "codecs/lzma/lzma.h"
#include "codecs/method_tables.h"
#include "codecs/zstd/zstd.h"

namespace quorvex6::backend::codecs {

namespace {

template <int Level>
std::unique_ptr<Encoder> deflate_encoder() {
    return deflate::MakeEncoder(Level);
}
std::unique_ptr<Encoder> gzip_encoder() { return deflate::MakeGzipEncoder(6); }

constexpr std::array kMethods = {
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

MethodTable StreamMethods() { return kMethods; }

}  // namespace quorvex6::backend::codecs
