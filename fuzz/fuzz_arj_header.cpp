// The ARJ reader over arbitrary bytes: the bid and the search for the main header, every
// header, and each entry the reader accepts decoded (bounded).
#include <cstddef>
#include <cstdint>
#include <span>

#include "formats/arj/arj_format.h"
#include "formats/arj/arj_reader.h"
#include "io/memory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvex6::backend;
    std::span<const std::uint8_t> bytes(data, size);
    arj::Bid(bytes);
    io::MemoryInput in(bytes);
    try {
        arj::Reader reader(in);
        int entries = 0;
        for (const arj::Entry& e : reader.entries()) {
            if (++entries > 64) break;
            if (e.original_size > (1u << 20)) continue;
            io::NullSink sink;
            try {
                arj::Reader::Decode(in, e, sink);
            } catch (const io::Error&) {
            }
        }
    } catch (const io::Error&) {
    }
    return 0;
}
