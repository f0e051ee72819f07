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

jobs::DataPath CabExtractFormat::PathOf(const jobs::ExtractItem& item) const {
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
        decoder_.Extract(entry, sink);
    } catch (const io::Error& error) {
        throw AsFailure(error);
    }
}

}  // namespace quorvex6::backend::cab32
