// Whatever bytes go into the Quantum encoder come back out of the decoder unchanged, both
// through the "quantum" row of the frame codec table.
// Input: the window bits (10 + byte % 12), the level (1 + byte % 7), a repeat count
// (1 + byte % 32), then the data; the data is repeated, each copy lightly changed, so that
// short inputs still span several frames and reach back across them.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "codecs/method_tables.h"

using namespace quorvex6::backend::codecs;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const FrameMethod& row = *FindFrameMethod(FrameMethods(), "quantum");
    const FrameSetup setup{row.min_window_bits + data[0] % 12, row.min_level + data[1] % 7};
    unsigned copies = 1u + data[2] % 32;
    std::span<const uint8_t> payload(data + 3, size - 3);
    if (payload.empty()) return 0;
    std::vector<uint8_t> input;
    for (unsigned c = 0; c < copies; ++c)
        for (size_t i = 0; i < payload.size(); ++i)
            input.push_back(static_cast<uint8_t>(payload[i] ^ (i % 61 == 0 ? c : 0)));

    auto encoder = row.make_encoder(setup);
    auto decoder = row.make_decoder(setup);
    std::vector<PackedFrame> packed;
    for (size_t at = 0; at < input.size(); at += kFrameLimit)
        encoder->Encode(std::span(input).subspan(at, std::min(kFrameLimit, input.size() - at)),
                        packed);
    encoder->Finish(packed);
    std::vector<uint8_t> decoded;
    size_t at = 0;
    for (const PackedFrame& frame : packed) {
        decoded.resize(frame.size);
        if (decoder->Decode(frame.bytes, decoded) != Status::kOk) std::abort();
        if (at + frame.size > input.size() ||
            !std::equal(decoded.begin(), decoded.end(), input.begin() + at))
            std::abort();
        at += frame.size;
    }
    if (at != input.size()) std::abort();
    return 0;
}
