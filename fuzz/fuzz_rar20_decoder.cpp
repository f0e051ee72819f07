// The RAR 2.0 decoder over arbitrary bytes: the first four give the unpacked size (bounded),
// the rest is cut in two files of one solid stream at the fifth byte's share.
#include <cstddef>
#include <cstdint>

#include "codecs/codec.h"
#include "io/byte_order.h"
#include "io/memory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvex6::backend;
    if (size < 5) return 0;
    const std::uint64_t unpacked = io::Le32(data) & 0xFFFFF;
    const std::size_t first = (size - 5) * data[4] / 256;
    auto decoder = ::quorvex6::backend::codecs::FindMethod("rar20")->make_decoder();
    io::NullSink out;
    if (!decoder->prepare({std::uint64_t{1} << 20, false})) return 0;
    io::MemorySource head({data + 5, first});
    if (decoder->decode(head, first, unpacked, out) != codecs::Status::kOk) return 0;
    if (!decoder->prepare({std::uint64_t{1} << 20, true})) return 0;
    io::MemorySource tail({data + 5 + first, size - 5 - first});
    decoder->decode(tail, size - 5 - first, unpacked, out);
    return 0;
}
