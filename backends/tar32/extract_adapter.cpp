#include "tar32/extract_adapter.h"

namespace quorvex6::backend::tar32 {

using jobs::ExtractItem;
using jobs::ItemKind;

namespace {

ItemKind KindOf(tar::EntryKind kind) {
    switch (kind) {
        case tar::EntryKind::kFile:
            return ItemKind::kFile;
        case tar::EntryKind::kFolder:
            return ItemKind::kFolder;
        case tar::EntryKind::kSymlink:
            return ItemKind::kSymlink;
        case tar::EntryKind::kHardLink:
            return ItemKind::kHardLink;
        case tar::EntryKind::kOther:
            break;
    }
    return ItemKind::kOther;
}

}  // namespace

bool TarExtractFormat::Next(ExtractItem& item) {
    if (!reader_.Next(entry_)) return false;
    item.index = index_++;
    item.name = entry_.facts.name;
    item.mtime = entry_.facts.mtime;
    item.kind = KindOf(entry_.kind);
    item.mode = entry_.mode;
    item.link_target = entry_.link_target;
    item.size = entry_.facts.original_size;
    return true;
}

bool TarExtractFormat::Admit(const ExtractItem& item) {
    if (item.kind != ItemKind::kOther) return true;
    log_.Line("skipped " + item.name + ": not a file, folder or link");
    return false;
}

void TarExtractFormat::BeforeFile(const ExtractItem& item) {
    space_.Take(item.name, entry_.stored_size);
}

jobs::DataPath TarExtractFormat::PathOf(const ExtractItem& item) const {
    // Without a decoding thread to share the work, buffering would only add a copy; a sparse
    // file is not buffered, as its holes would be filled in memory.
    if (lent_ && item.size <= kMaxBufferedFile && entry_.stored_size == item.size)
        return jobs::DataPath::kBuffered;
    return jobs::DataPath::kHere;
}

void TarExtractFormat::Decode(const ExtractItem&, io::Sink& sink) { reader_.ReadData(sink); }

void TarExtractFormat::LendIdleTime(IdleWork* work) {
    if (work) {
        lent_ = reader_.ShareIdleTime(work);
    } else if (lent_) {
        reader_.ShareIdleTime(nullptr);
        lent_ = false;
    }
}

}  // namespace quorvex6::backend::tar32
