// PPMd variant H blocks are untrusted: RAR 3.x archives carry them as they come.
// Input: the order (2 + byte % 63), the memory in MiB (1 + byte % 2: larger heaps only slow the
// search), then the range-coded bytes.
#include <cstdint>
#include <span>

#include "codecs/ppmd/model_h.h"

using namespace quorvex6::backend::codecs::ppmd;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int order = 2 + data[0] % 63;
    const std::size_t memory = (1 + std::size_t{data[1]} % 2) << 20;
    SpanInput input(std::span(data + 2, size - 2));
    RarRangeDecoder rc(input);
    rc.Start();
    ModelH model;
    if (!model.Restart(order, memory)) return 0;
    // Zeros past the end still decode; a bound on the output keeps each run short.
    for (int i = 0; i < (1 << 18) && !rc.past_end(); ++i)
        if (model.DecodeSymbol(rc) < 0) break;
    return 0;
}
