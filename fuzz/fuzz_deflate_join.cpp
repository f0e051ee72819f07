// The deflate block walker over arbitrary bytes: it must end, and a stream it makes
// continuable must still walk (now without a final block).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "codecs/deflate/deflate_join.h"

using namespace quorvex6::backend::codecs::deflate;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!FindStreamEnd(data, size)) return 0;
    std::vector<uint8_t> stream(data, data + size);
    if (!MakeContinuable(stream) || FindStreamEnd(stream.data(), stream.size())) std::abort();
    return 0;
}
