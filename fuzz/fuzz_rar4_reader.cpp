// The RAR 1.5-4.x block reader over arbitrary bytes behind its signature.
#include "fuzz_rar_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvex6::backend::rar;
    FuzzVolume(kSignature4, data, size);
    return 0;
}
