// LZX frames are untrusted: one stream of frames, each with the earlier ones as history.
// Input: a window size byte, then per frame a 16-bit decoded size, a 16-bit packed size and
// the packed bytes.
#include <cstdint>
#include <span>
#include <vector>

#include "codecs/lzx/lzx_decoder.h"

using namespace quorvex6::backend::codecs;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    lzx::Decoder decoder(lzx::kMinWindowBits +
                         data[0] % (lzx::kMaxWindowBits - lzx::kMinWindowBits + 1));
    ++data;
    --size;
    std::vector<uint8_t> out;
    while (size >= 4) {
        size_t unpacked = 1 + (data[0] | data[1] << 8) % lzx::kFrameSize;
        size_t packed = data[2] | data[3] << 8;
        data += 4;
        size -= 4;
        if (packed > size) packed = size;
        out.resize(unpacked);
        if (decoder.DecodeFrame(std::span(data, packed), out) != lzx::Status::kOk) decoder.Reset();
        data += packed;
        size -= packed;
    }
    return 0;
}
