// The RAR 5.0 LZ decoder over arbitrary bytes as a solid stream of two members: the first four
// bytes give the unpacked size of each (bounded), the fifth the declared dictionary's exponent,
// the rest is split in two halves, the packed data of each member.
#include <cstddef>
#include <cstdint>

#include "codecs/codec.h"
#include "io/byte_order.h"
#include "io/memory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvex6::backend;
    if (size < 5) return 0;
    std::uint64_t unpacked = io::Le32(data) & 0xFFFFF;
    std::uint64_t dictionary = std::uint64_t{128 * 1024} << (data[4] & 0x0F);
    data += 5;
    size -= 5;
    auto decoder = ::quorvex6::backend::codecs::FindMethod("rar5")->make_decoder();
    io::NullSink out;
    std::size_t half = size / 2;
    io::MemorySource first({data, half});
    if (!decoder->prepare({dictionary, false})) return 0;
    if (decoder->decode(first, half, unpacked, out) != ::quorvex6::backend::codecs::Status::kOk)
        return 0;
    io::MemorySource second({data + half, size - half});
    if (decoder->prepare({dictionary, true})) decoder->decode(second, size - half, unpacked, out);
    return 0;
}
