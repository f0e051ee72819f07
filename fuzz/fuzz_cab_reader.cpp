// Cabinets are untrusted: headers, reserve areas, names, blocks and the MSZIP data in them.
#include <cstdint>
#include <memory>
#include <span>

#include "common/entry_info.h"
#include "common/safe_path.h"
#include "formats/cab/cab_reader.h"
#include "io/fault.h"
#include "io/memory.h"

using namespace quorvex6::backend;

namespace {

constexpr uint64_t kMaxDecoded = 16 << 20;  // keeps one input's run short

class CountingSink final : public io::Sink {
  public:
    bool write(const std::uint8_t*, std::size_t size) override {
        bytes += size;
        return bytes <= kMaxDecoded;
    }
    uint64_t bytes = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        cab::CabReader reader(std::make_unique<io::MemoryInput>(std::span(data, size)));
        cab::EntryDecoder decoder(reader);
        for (const cab::CabEntry& entry : reader.entries()) {
            QvEntryInfo info;
            FillEntryInfo(entry.Facts(), &info);
            SafeRelativePath(entry.name);
            if (entry.file.size > kMaxDecoded) continue;
            try {
                CountingSink sink;
                decoder.Extract(entry, sink);
            } catch (const io::Error&) {
            }
        }
    } catch (const io::Error&) {
    }
    return 0;
}
