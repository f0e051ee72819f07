// RAR's rows of the method table.
#include <array>

#include "codecs/method_tables.h"
#include "codecs/rar15/rar15_decoder.h"
#include "codecs/rar2/rar20_decoder.h"
#include "codecs/rar3/rar3_decoder.h"
#include "codecs/rar5/rar5_decoder.h"

namespace quorvex6::backend::codecs {

namespace {

constexpr std::array kMethods = {
    // RAR 1.5's adaptive LZ (methods 1-5 share it).
    Method{"rar15", rar15::MakeDecoder, nullptr},
    // RAR 2.0's LZ and multimedia mode (methods 1-5 share them).
    Method{"rar20", rar2::MakeDecoder, nullptr},
    // RAR 5.0's LZ (methods 1-5 share it), a file that continues no solid stream.
    Method{"rar5", rar5::MakeDecoder, nullptr},
    // RAR 2.9's LZ and PPMd (RAR 4 entries of version 29, methods 1-5 alike).
    Method{"rar29", rar3::MakeDecoder, nullptr},
};

}  // namespace

MethodTable RarMethods() { return kMethods; }

}  // namespace quorvex6::backend::codecs
