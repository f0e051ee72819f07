// The RAR 2.9 decoder over arbitrary bytes: the first four give the unpacked size (bounded),
// the rest is the packed stream, decoded once and then again as the next member of a solid
// stream on the same decoder.
#include <cstddef>
#include <cstdint>

#include "codecs/codec.h"
#include "io/byte_order.h"
#include "io/memory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvex6::backend;
    if (size < 4) return 0;
    std::uint64_t unpacked = io::Le32(data) & 0xFFFFF;
    auto decoder = codecs::FindMethod("rar29")->make_decoder();
    codecs::MemberSetup setup;
    setup.window_size = std::uint64_t{64} << (data[0] & 7) << 10;
    for (int member = 0; member < 2; ++member) {
        if (!decoder->prepare(setup)) return 0;
        io::MemorySource in({data + 4, size - 4});
        io::NullSink out;
        if (decoder->decode(in, size - 4, unpacked, out) != codecs::Status::kOk) return 0;
        setup.continues_stream = true;
    }
    return 0;
}
