// ZIP archives are untrusted: directory, extra fields, names and every codec behind them.
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "common/archive_input.h"
#include "common/entry_info.h"
#include "common/safe_path.h"
#include "formats/zip/zip_format.h"
#include "formats/zip/zip_reader.h"
#include "formats/zip/zip_relocate.h"
#include "io/fault.h"
#include "io/stream.h"

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

std::string TempPath() { return "/tmp/fuzz_zip_reader_" + std::to_string(getpid()) + ".zip"; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = TempPath();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    try {
        auto input = std::make_unique<ArchiveInput>(path);
        zip::Bid(*input);
        zip::ZipReader reader(std::move(input));
        for (const zip::ZipEntry& entry : reader.entries()) {
            QvEntryInfo info;
            FillEntryInfo(entry.Facts(), &info);
            SafeRelativePath(entry.name);
            try {
                // What an update does with a kept entry.
                reader.RecordEnd(entry);
                zip::RelocatedCentral(reader.CentralRecord(entry), uint64_t{1} << 32);
            } catch (const io::Error&) {
            }
            if (entry.original_size > kMaxDecoded) continue;
            try {
                CountingSink sink;
                reader.Extract(entry, sink);
            } catch (const io::Error&) {
            }
        }
    } catch (const io::Error&) {
    }
    return 0;
}
