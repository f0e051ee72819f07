// The ARJ reader over arbitrary bytes: the bid and the search for the main header, every
// header, the chapter view and the joining of pieces, and each entry decoded (bounded).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "formats/arj/arj_format.h"
#include "formats/arj/volume_set.h"
#include "io/memory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvex6::backend;
    std::span<const std::uint8_t> bytes(data, size);
    arj::Bid(bytes);
    io::MemoryInput in(bytes);
    // One volume: whatever the bytes say of further ones, those are missing.
    auto open = [&, first = true](const std::string&) mutable -> std::unique_ptr<io::RandomInput> {
        if (!first) return nullptr;
        first = false;
        return std::make_unique<io::MemoryInput>(bytes);
    };
    try {
        arj::VolumeSet set("fuzz.arj", open);
        int entries = 0;
        for (const arj::JoinedEntry& e : set.entries()) {
            if (++entries > 64) break;
            if (e.entry.original_size > (1u << 20)) continue;
            io::NullSink sink;
            try {
                arj::VolumeSet::Decode(
                    e, [&](std::size_t) -> io::RandomInput& { return in; }, sink);
            } catch (const io::Error&) {
            }
        }
    } catch (const io::Error&) {
    }
    return 0;
}
