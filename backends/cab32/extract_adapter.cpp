#include "cab32/extract_adapter.h"

#include <algorithm>

#include "cab32/cab_failure.h"
#include "common/system.h"
#include "formats/cab/cab_format.h"

namespace quorvex6::backend::cab32 {

namespace {

// Larger files are not held in memory: the pool holds at most 8 MiB of them.
constexpr uint64_t kBufferedFileLimit = 1 << 20;

}  // namespace

CabExtractFormat::CabExtractFormat(const cab::CabReader& reader)
    : reader_(reader),
      decoder_(reader),
      // Two: each thread holds a folder of up to 8 MiB ahead, within what extraction may take.
      prefetch_(reader, {.threads = std::min<unsigned>(ProcessorCount(), 2)}) {
    std::vector<std::size_t> files(reader.set().folders.size());
    for (const cab::CabEntry& entry : reader.entries())
        if (entry.file.size != 0 && entry.folder < files.size()) ++files[entry.folder];
    for (const cab::CabEntry& entry : reader.entries())
        alone_.push_back(entry.folder < files.size() && files[entry.folder] == 1);
}

jobs::DataPath CabExtractFormat::PathOf(const jobs::ExtractItem& item) const {
    if (alone_[item.index]) return jobs::DataPath::kAnyThread;
    return item.size <= kBufferedFileLimit ? jobs::DataPath::kBuffered : jobs::DataPath::kHere;
}

unsigned CabExtractFormat::Threads() const { return std::min<unsigned>(ProcessorCount(), 4); }

bool CabExtractFormat::Next(jobs::ExtractItem& item) {
    if (next_ == reader_.entries().size()) return false;
    const cab::CabEntry& entry = reader_.entries()[next_];
    item.index = next_++;
    item.name = entry.name;
    item.mtime = entry.mtime();
    item.kind = jobs::ItemKind::kFile;
    item.mode = (entry.file.attributes & cab::kAttributeReadOnly) ? 0444u : 0644u;
    item.size = entry.file.size;
    return true;
}

void CabExtractFormat::Decode(const jobs::ExtractItem& item, io::Sink& sink) {
    const cab::CabEntry& entry = reader_.entries()[item.index];
    if (entry.incomplete) throw MissingCabinet(entry.name);
    try {
        if (alone_[item.index]) {
            // A decoder of its own: this runs on any thread, and the folder is read once.
            cab::EntryDecoder(reader_).Extract(entry, sink);
        } else if (prefetch_.Covers(entry)) {
            prefetch_.Extract(entry, sink);
        } else {
            decoder_.Extract(entry, sink);
        }
    } catch (const io::Error& error) {
        throw AsFailure(error);
    }
}

}  // namespace quorvex6::backend::cab32
