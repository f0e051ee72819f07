// TAR archives are untrusted: headers (through libarchive), names, links and data lengths.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "common/entry_info.h"
#include "common/result.h"
#include "common/safe_path.h"
#include "formats/tar/tar_reader.h"

using namespace quorvex6::backend;

namespace {

constexpr uint64_t kMaxDecoded = 16 << 20;

class CountingSink final : public quorvex6::codecs::Sink {
public:
    bool write(const std::uint8_t*, std::size_t size) override {
        bytes += size;
        return bytes <= kMaxDecoded;
    }
    uint64_t bytes = 0;
};

std::string TempPath() { return "/tmp/fuzz_tar_reader_" + std::to_string(getpid()) + ".tar"; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = TempPath();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    try {
        tar::TarReader reader(path);
        tar::TarEntry entry;
        while (reader.Next(entry)) {
            QvEntryInfo info;
            FillEntryInfo(entry.facts, &info);
            if (auto safe = SafeRelativePath(entry.facts.name)) LinkTargetStaysInside(*safe, entry.link_target);
            if (entry.kind != tar::EntryKind::kFile || entry.facts.original_size > kMaxDecoded) continue;
            CountingSink sink;
            reader.ReadData(sink);
        }
    } catch (const Failure&) {
    }
    return 0;
}
