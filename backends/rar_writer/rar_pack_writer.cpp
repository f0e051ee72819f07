#include "rar_writer/rar_pack_writer.h"

#include <vector>

namespace quorvex6::backend::rar_writer {

namespace {

class RarEncoder final : public jobs::EntryEncoder {
  public:
    uint64_t Encode(const SourceItem& item, io::RandomInput* data, io::RandomOutput& out,
                    std::unique_ptr<jobs::EncodedEntry>&) override {
        const rar::NewEntry entry = NewEntryOf(item);
        rar::StoreRar5Entry(out, entry, entry.kind == rar::NewEntry::Kind::kFile ? data : nullptr,
                            scratch_);
        return out.position();
    }

  private:
    std::vector<std::uint8_t> scratch_;  // a small file with its header, reused
};

}  // namespace

rar::NewEntry NewEntryOf(const SourceItem& item) {
    rar::NewEntry e;
    e.name = item.stored;
    if (e.name.ends_with('/')) e.name.pop_back();
    e.mtime = {item.stat.mtime, item.stat.mtime_ns};
    std::uint32_t kind = rar::kModeRegular;
    if (item.stat.kind == FileKind::kFolder) {
        e.kind = rar::NewEntry::Kind::kFolder;
        kind = rar::kModeDirectory;
    } else if (item.stat.kind == FileKind::kLink) {
        e.kind = rar::NewEntry::Kind::kSymlink;
        e.link_target = item.link_target;
        kind = rar::kModeSymlink;
    }
    e.mode = kind | (item.stat.mode & 07777);
    return e;
}

RarOldArchive::RarOldArchive(const rar::Volume* archive) {
    if (archive == nullptr) return;
    for (const rar::Entry& e : archive->entries) entries_.push_back({e.name, e.mtime.seconds});
}

RarPackWriter::RarPackWriter(OutputFile& file, const rar::Volume* old, io::RandomInput* old_bytes)
    : out_(file), old_(old), old_bytes_(old_bytes) {
    rar::WriteRar5Start(out_);
    // The comment goes on as it was; the quick-open index and the recovery record describe
    // the old archive's bytes and would be stale, so they are dropped.
    if (old_ == nullptr) return;
    for (const rar::Entry& service : old_->services)
        if (service.name == "CMT") rar::CopyRar5Entry(*old_bytes_, service, out_);
}

std::unique_ptr<jobs::EntryEncoder> RarPackWriter::MakeEncoder() {
    return std::make_unique<RarEncoder>();
}

void RarPackWriter::CopyRaw(size_t index) {
    rar::CopyRar5Entry(*old_bytes_, old_->entries[index], out_);
}

void RarPackWriter::Finish() {
    rar::WriteRar5End(out_);
    // An entry that failed may have left bytes behind the end.
    if (!out_.CutHere()) out_.Rethrow();
}

}  // namespace quorvex6::backend::rar_writer
