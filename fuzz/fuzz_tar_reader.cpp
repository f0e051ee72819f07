// TAR archives are untrusted: headers (through libarchive), names, links and data lengths.
#include <memory>
#include <span>

#include "common/entry_info.h"
#include "common/safe_path.h"
#include "formats/tar/tar_reader.h"
#include "io/memory.h"

using namespace quorvex6::backend;

namespace {

constexpr uint64_t kMaxDecoded = 16 << 20;

class CountingSink final : public quorvex6::backend::codecs::Sink {
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
        tar::TarReader reader(
            std::make_unique<io::MemoryInput>(std::span<const uint8_t>(data, size)));
        tar::TarEntry entry;
        while (reader.Next(entry)) {
            QvEntryInfo info;
            FillEntryInfo(entry.facts, &info);
            if (auto safe = SafeRelativePath(entry.facts.name))
                LinkTargetStaysInside(*safe, entry.link_target);
            if (entry.kind != tar::EntryKind::kFile || entry.facts.original_size > kMaxDecoded)
                continue;
            CountingSink sink;
            reader.ReadData(sink);
        }
    } catch (const io::Error&) {
    }
    return 0;
}
