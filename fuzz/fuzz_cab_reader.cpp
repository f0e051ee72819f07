// Cabinets are untrusted: headers, reserve areas, names, blocks and the MSZIP data in them,
// and sets: the input is cut before every signature after its start, and each piece is the
// next cabinet of the one before, whatever name that one gives.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

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

// The input's pieces, each from a signature to the next.
std::vector<std::span<const uint8_t>> Pieces(std::span<const uint8_t> data) {
    static constexpr uint8_t kMark[] = {'M', 'S', 'C', 'F'};
    std::vector<std::span<const uint8_t>> pieces;
    auto start = data.begin();
    while (true) {
        auto next = start == data.end()
                        ? data.end()
                        : std::search(start + 1, data.end(), std::begin(kMark), std::end(kMark));
        pieces.emplace_back(start, next);
        if (next == data.end()) return pieces;
        start = next;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        std::vector<std::span<const uint8_t>> pieces = Pieces(std::span(data, size));
        size_t opened = 1;
        cab::CabReader reader(std::make_unique<io::MemoryInput>(pieces[0]), "first.cab",
                              [&](const std::string&) -> std::unique_ptr<io::RandomInput> {
                                  if (opened == pieces.size()) return nullptr;
                                  return std::make_unique<io::MemoryInput>(pieces[opened++]);
                              });
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
