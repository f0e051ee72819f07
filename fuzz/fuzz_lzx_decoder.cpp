// LZX frames are untrusted: one stream of frames, each with the earlier ones as history,
// through the "lzx" row of the frame codec table.
// Input: a window size byte, then per frame a 16-bit decoded size, a 16-bit packed size and
// the packed bytes.
#include <cstdint>
#include <span>
#include <vector>

#include "codecs/method_tables.h"

using namespace quorvex6::backend::codecs;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const FrameMethod& row = *FindFrameMethod(FrameMethods(), "lzx");
    auto decoder = row.make_decoder(
        {row.min_window_bits + data[0] % (row.max_window_bits - row.min_window_bits + 1)});
    ++data;
    --size;
    std::vector<uint8_t> out;
    while (size >= 4) {
        size_t unpacked = 1 + (data[0] | data[1] << 8) % kFrameLimit;
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
