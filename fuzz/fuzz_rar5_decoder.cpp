// The RAR 5.0 LZ decoder over arbitrary bytes: the first four give the unpacked size (bounded),
// the rest is the packed stream.
#include <cstddef>
#include <cstdint>

#include "codecs/codec.h"
#include "io/byte_order.h"
#include "io/memory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvex6::backend;
    if (size < 4) return 0;
    std::uint64_t unpacked = io::Le32(data) & 0xFFFFF;
    io::MemorySource in({data + 4, size - 4});
    io::NullSink out;
    ::quorvex6::backend::codecs::FindMethod("rar5")->make_decoder()->decode(in, size - 4, unpacked,
                                                                            out);
    return 0;
}
