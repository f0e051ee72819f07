// Whatever bytes go into the Quantum encoder come back out of the decoder unchanged.
// Input: the window bits (10 + byte % 12), the level (1 + byte % 7), a repeat count
// (1 + byte % 32), then the data; the data is repeated, each copy lightly changed, so that
// short inputs still span several frames and reach back across them.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "codecs/quantum/quantum.h"

using namespace quorvex6::backend::codecs;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    unsigned window_bits = quantum::kMinWindowBits + data[0] % 12;
    unsigned level = quantum::kMinLevel + data[1] % 7;
    unsigned copies = 1u + data[2] % 32;
    std::span<const uint8_t> payload(data + 3, size - 3);
    if (payload.empty()) return 0;
    std::vector<uint8_t> input;
    for (unsigned c = 0; c < copies; ++c)
        for (size_t i = 0; i < payload.size(); ++i)
            input.push_back(static_cast<uint8_t>(payload[i] ^ (i % 61 == 0 ? c : 0)));

    quantum::FrameEncoder encoder(window_bits, level);
    quantum::FrameDecoder decoder(window_bits);
    std::vector<uint8_t> packed, decoded;
    for (size_t at = 0; at < input.size(); at += quantum::kFrameLimit) {
        size_t n = std::min(quantum::kFrameLimit, input.size() - at);
        std::span<const uint8_t> frame(input.data() + at, n);
        encoder.Encode(frame, packed);
        decoded.resize(n);
        if (decoder.Decode(packed, decoded) != Status::kOk) std::abort();
        if (!std::equal(decoded.begin(), decoded.end(), frame.begin())) std::abort();
    }
    return 0;
}
