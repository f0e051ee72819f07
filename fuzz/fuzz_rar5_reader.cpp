// The RAR 5.0 header reader over arbitrary bytes behind its signature.
#include "fuzz_rar_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvex6::backend::rar;
    FuzzVolume(kSignature5, data, size);
    return 0;
}
