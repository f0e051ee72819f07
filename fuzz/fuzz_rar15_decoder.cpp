// The RAR 1.5 decoder over arbitrary bytes: the first four give the unpacked sizes of two files
// of one solid stream (together enough to wrap the 64 KiB window), the fifth where the rest is
// cut between them.
#include <cstddef>
#include <cstdint>

#include "codecs/codec.h"
#include "io/byte_order.h"
#include "io/memory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvex6::backend;
    if (size < 5) return 0;
    const std::uint64_t first_size = io::Le16(data);
    const std::uint64_t second_size = io::Le16(data + 2);
    const std::size_t first = (size - 5) * data[4] / 256;
    auto decoder = codecs::FindMethod("rar15")->make_decoder();
    io::NullSink out;
    if (!decoder->prepare({std::uint64_t{64} << 10, false})) return 0;
    io::MemorySource head({data + 5, first});
    const codecs::Status status = decoder->decode(head, first, first_size, out);
    if (decoder->prepare({std::uint64_t{64} << 10, true}) != (status == codecs::Status::kOk))
        __builtin_trap();
    if (status != codecs::Status::kOk) return 0;
    io::MemorySource tail({data + 5 + first, size - 5 - first});
    decoder->decode(tail, size - 5 - first, second_size, out);
    return 0;
}
