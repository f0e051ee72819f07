#include "unarj32j/extract_adapter.h"

#include <functional>

#include "common/fault_codes.h"
#include "common/system.h"
#include "formats/arj/arj_format.h"

namespace quorvex6::backend::unarj32j {

using jobs::ExtractItem;
using jobs::ItemKind;

namespace {

std::optional<uint32_t> ModeOf(const arj::Entry& e) {
    if (e.unix_host()) return e.mode & 0777u;
    if (e.folder()) return std::nullopt;
    return (e.mode & arj::kDosReadOnly) ? 0444u : 0644u;
}

}  // namespace

ArjExtractFormat::ArjExtractFormat(const Archive& archive, bool folders, OutputLog& log)
    : archive_(archive),
      folders_(folders),
      log_(log),
      inputs_([&archive] { return std::make_unique<VolumeInputs>(archive.volumes()); }) {}

bool ArjExtractFormat::Next(ExtractItem& item) {
    if (next_ == archive_.entries().size()) return false;
    const arj::Entry& e = archive_.entries()[next_].entry;
    item.index = next_++;
    item.name = e.name;
    item.mtime = e.mtime;
    item.kind = e.folder()      ? ItemKind::kFolder
                : e.has_data()  ? ItemKind::kFile
                : e.link_target ? ItemKind::kSymlink
                                : ItemKind::kOther;
    item.mode = ModeOf(e);
    item.link_target = e.link_target.value_or("");
    item.size = e.original_size;
    return true;
}

bool ArjExtractFormat::Admit(const ExtractItem& item) {
    const arj::JoinedEntry& joined = archive_.entries()[item.index];
    const arj::Entry& e = joined.entry;
    if (e.type == arj::kTypeVolumeLabel || e.type == arj::kTypeChapterLabel) return false;
    if (e.folder()) return folders_;
    if (e.link_target) return true;
    if (e.special_kind) {
        // FIFOs and devices are no data to lose, and nothing an archive should make.
        log_.Line("skipped " + e.name + ": a FIFO or device is not made");
        return false;
    }
    if (!e.has_data())
        throw Failure(result::kUnknownType,
                      e.name + " is of unknown type " + std::to_string(e.type));
    if (e.garbled()) throw Failure(result::kPasswordFile, e.name + " is garbled with a password");
    if (e.method > arj::kHighestMethod)
        throw Failure(result::kMethod, "unknown method " + std::to_string(e.method));
    if (!joined.complete)
        throw Failure(result::kArchiveDataMissing,
                      e.name + " is split across volumes, and one of them is missing");
    return true;
}

void ArjExtractFormat::Decode(const ExtractItem& item, io::Sink& sink) {
    auto inputs = inputs_.Take();
    try {
        arj::VolumeSet::Decode(archive_.entries()[item.index], std::ref(*inputs), sink);
    } catch (const io::Error& error) {
        throw FailureOf(error, "");
    }
}

unsigned ArjExtractFormat::Threads() const { return ProcessorCount(); }

}  // namespace quorvex6::backend::unarj32j
