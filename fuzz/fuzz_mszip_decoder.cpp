// MSZIP blocks are untrusted: a run of blocks, each with the previous ones as history.
// Input: per block a 16-bit decoded size, a 16-bit packed size, then the packed bytes.
#include <cstdint>
#include <span>
#include <vector>

#include "codecs/mszip/mszip.h"

using namespace quorvex6::backend::codecs;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mszip::BlockDecoder decoder;
    std::vector<uint8_t> out;
    while (size >= 4) {
        size_t unpacked = (data[0] | data[1] << 8) % (mszip::kBlockLimit + 2);
        size_t packed = data[2] | data[3] << 8;
        data += 4;
        size -= 4;
        if (packed > size) packed = size;
        out.resize(unpacked);
        if (decoder.Decode(std::span(data, packed), out) != Status::kOk) decoder.Reset();
        data += packed;
        size -= packed;
    }
    return 0;
}
