#include "unrar32/extract_adapter.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "common/fault_codes.h"
#include "common/system.h"
#include "io/memory.h"

namespace quorvex6::backend::unrar32 {

using jobs::ExtractItem;
using jobs::ItemKind;

namespace {

constexpr uint64_t kBufferedSize = 4 << 20;

ItemKind KindOf(const rar::Entry& e) {
    if (e.folder) return ItemKind::kFolder;
    if (e.symlink_in_data()) return ItemKind::kSymlink;
    switch (e.redirection) {
        case rar::Redirection::kNone:
        case rar::Redirection::kFileCopy:
            return ItemKind::kFile;
        case rar::Redirection::kUnixSymlink:
        case rar::Redirection::kWindowsSymlink:
            return ItemKind::kSymlink;
        case rar::Redirection::kHardLink:
            return ItemKind::kHardLink;
        case rar::Redirection::kJunction:
            return ItemKind::kOther;
    }
    return ItemKind::kOther;
}

std::optional<uint32_t> ModeOf(const rar::Entry& e) {
    if (e.unix_mode) return e.attributes & 0777u;
    if (e.folder) return std::nullopt;
    return (e.attributes & rar::kAttrReadOnly) ? 0444u : 0644u;
}

}  // namespace

RarExtractFormat::RarExtractFormat(const Archive& archive, bool folders, OutputLog& log)
    : archive_(archive),
      folders_(folders),
      log_(log),
      inputs_([&archive] { return std::make_unique<VolumeInputs>(archive.volumes()); }),
      solid_(std::any_of(archive.entries().begin(), archive.entries().end(),
                         [](const rar::JoinedEntry& e) { return e.entry.solid; })),
      stream_inputs_(archive.volumes()),
      stream_(archive.entries(), std::ref(stream_inputs_)) {}

jobs::DataPath RarExtractFormat::PathOf(const ExtractItem& item) const {
    if (!solid_ || !rar::InSolidStream(DataOf(item.index).entry)) return jobs::DataPath::kAnyThread;
    // Small files are written on the pool while the stream goes on; large ones straight.
    return item.size <= kBufferedSize ? jobs::DataPath::kBuffered : jobs::DataPath::kHere;
}

bool RarExtractFormat::Next(ExtractItem& item) {
    if (next_ == archive_.entries().size()) return false;
    const rar::Entry& e = archive_.entries()[next_].entry;
    item.index = next_++;
    item.name = e.name;
    item.mtime = e.mtime.seconds;
    item.kind = KindOf(e);
    item.mode = ModeOf(e);
    item.link_target = e.link_target;
    item.size = e.redirection == rar::Redirection::kNone ? e.original_size : 0;
    return true;
}

const rar::JoinedEntry& RarExtractFormat::DataOf(std::size_t index) const {
    const rar::JoinedEntry& joined = archive_.entries()[index];
    if (joined.entry.redirection != rar::Redirection::kFileCopy) return joined;
    const rar::JoinedEntry* source = archive_.CopySource(index);
    if (source == nullptr)
        throw Failure(result::kBrokenData, joined.entry.name + " copies " +
                                               joined.entry.link_target +
                                               ", which comes nowhere before it");
    return *source;
}

bool RarExtractFormat::Admit(const ExtractItem& item) {
    const rar::Entry& e = archive_.entries()[item.index].entry;
    if (e.folder) return folders_;
    if (e.redirection == rar::Redirection::kJunction) {
        log_.Line("skipped " + e.name + ": a junction names an absolute place");
        return false;
    }
    if (item.kind == ItemKind::kSymlink && !e.symlink_in_data()) return true;
    if (item.kind == ItemKind::kHardLink) return true;
    const rar::JoinedEntry& data = DataOf(item.index);
    if (data.entry.encrypted || e.encrypted)
        throw Failure(result::kPasswordFile, e.name + " is encrypted");
    if (!rar::HasDecoder(data.entry))
        throw Failure(result::kMethod, e.name + ": method m" + std::to_string(data.entry.method) +
                                           " is not available yet");
    if (!data.complete)
        throw Failure(result::kArchiveDataMissing,
                      e.name + " is split across volumes, and one of them is missing");
    return true;
}

std::string RarExtractFormat::LinkTarget(const ExtractItem& item) {
    const rar::JoinedEntry& joined = archive_.entries()[item.index];
    if (!joined.entry.symlink_in_data()) return item.link_target;
    if (joined.entry.original_size > rar::kMaxNameSize)
        throw Failure(result::kPathTooLong, joined.entry.name + ": its link target is too long");
    std::vector<std::uint8_t> target;
    io::VectorSink sink(target);
    Decode(item, sink);
    return std::string(target.begin(), target.end());
}

void RarExtractFormat::Decode(const ExtractItem& item, io::Sink& sink) {
    const rar::JoinedEntry& data = DataOf(item.index);
    try {
        if (solid_ && rar::InSolidStream(data.entry)) {
            stream_.Decode(static_cast<std::size_t>(&data - archive_.entries().data()), sink);
            return;
        }
        auto inputs = inputs_.Take();
        rar::VolumeSet::Decode(data, std::ref(*inputs), sink);
    } catch (const io::Error& error) {
        throw FailureOf(error, "");
    }
}

unsigned RarExtractFormat::Threads() const { return ProcessorCount(); }

}  // namespace quorvex6::backend::unrar32
