// Quantum frames are untrusted: a folder of frames sharing models and window, through the
// "quantum" row of the frame codec table.
// Input: the window bits (10 + byte % 12), then per frame a 16-bit decoded size, a 16-bit
// packed size, then the packed bytes.
#include <cstdint>
#include <span>
#include <vector>

#include "codecs/method_tables.h"

using namespace quorvex6::backend::codecs;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const FrameMethod& row = *FindFrameMethod(FrameMethods(), "quantum");
    auto decoder = row.make_decoder({row.min_window_bits + data[0] % 12});
    ++data;
    --size;
    std::vector<uint8_t> out;
    while (size >= 4) {
        size_t unpacked = (data[0] | data[1] << 8) % (kFrameLimit + 2);
        size_t packed = data[2] | data[3] << 8;
        data += 4;
        size -= 4;
        if (packed > size) packed = size;
        out.resize(unpacked);
        if (decoder->Decode(std::span(data, packed), out) != Status::kOk) decoder->Reset();
        data += packed;
        size -= packed;
    }
    return 0;
}
