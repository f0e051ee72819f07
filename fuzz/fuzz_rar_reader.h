// What both RAR reader targets do with one input: the bytes behind a signature read as one
// volume (whatever they say of further ones, those are missing), each entry's data decoded
// (bounded), so that headers, extra records, names, joining and the data checks all run.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "formats/rar/rar_format.h"
#include "formats/rar/volume_set.h"
#include "io/memory.h"

namespace quorvex6::backend::rar {

inline void FuzzVolume(std::span<const std::uint8_t> signature, const std::uint8_t* data,
                       std::size_t size) {
    std::vector<std::uint8_t> bytes(signature.begin(), signature.end());
    bytes.insert(bytes.end(), data, data + size);
    Bid(bytes);
    io::MemoryInput in(bytes);
    auto open = [&, first = true](const std::string&) mutable -> std::unique_ptr<io::RandomInput> {
        if (!first) return nullptr;
        first = false;
        return std::make_unique<io::MemoryInput>(bytes);
    };
    try {
        VolumeSet set("fuzz.part1.rar", open);
        int entries = 0;
        for (const JoinedEntry& e : set.entries()) {
            if (++entries > 64) break;
            if (e.entry.packed_size > (1u << 20)) continue;
            io::NullSink sink;
            try {
                VolumeSet::Decode(
                    e, [&](std::size_t) -> io::RandomInput& { return in; }, sink);
            } catch (const io::Error&) {
            }
        }
    } catch (const io::Error&) {
    }
}

}  // namespace quorvex6::backend::rar
