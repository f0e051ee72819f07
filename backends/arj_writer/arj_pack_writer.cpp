#include "arj_writer/arj_pack_writer.h"

#include "formats/arj/arj_writer.h"

namespace quorvex6::backend::arj_writer {

namespace {

class ArjEncoder final : public jobs::EntryEncoder {
  public:
    explicit ArjEncoder(const EntryStyle& style) : style_(style) {}

    uint64_t Encode(const SourceItem& item, io::RandomInput* data, io::RandomOutput& out,
                    std::unique_ptr<jobs::EncodedEntry>&) override {
        arj::Entry entry = NewEntry(item, style_);
        arj::PackEntry(out, entry, entry.has_data() ? data : nullptr, style_.method);
        return out.position();
    }

  private:
    EntryStyle style_;
};

}  // namespace

arj::Entry NewEntry(const SourceItem& item, const EntryStyle& style) {
    arj::Entry e;
    e.name = item.stored;
    e.host = style.host;
    e.flags = arj::kFlagPathSymbols;
    e.mtime = item.stat.mtime;
    if (arj::UnixHost(style.host)) {
        e.mode = static_cast<std::uint16_t>(item.stat.mode & 07777);
    } else {
        e.mode = arj::kDosArchive | ((item.stat.mode & 0200) == 0 ? arj::kDosReadOnly : 0);
    }
    if (item.stat.kind == FileKind::kLink) {
        e.type = arj::kTypeUnixSpecial;
        e.link_target = item.link_target;
    }
    return e;
}

ArjOldArchive::ArjOldArchive(const arj::Reader* archive) {
    if (archive == nullptr) return;
    for (const arj::Entry& e : archive->entries()) entries_.push_back({e.name, e.mtime});
}

ArjPackWriter::ArjPackWriter(OutputFile& file, const arj::ArchiveFacts& facts,
                             const EntryStyle& style, const arj::Reader* old,
                             io::RandomInput* old_bytes)
    : out_(file), style_(style), old_(old), old_bytes_(old_bytes) {
    arj::WriteMainHeader(out_, facts);
}

std::unique_ptr<jobs::EntryEncoder> ArjPackWriter::MakeEncoder() {
    return std::make_unique<ArjEncoder>(style_);
}

void ArjPackWriter::CopyRaw(size_t index) {
    arj::CopyEntry(*old_bytes_, old_->entries()[index], out_);
}

void ArjPackWriter::Finish() {
    arj::WriteEnd(out_);
    // An entry stored after all, or one that failed, may have left bytes behind the end.
    if (!out_.CutHere()) out_.Rethrow();
}

}  // namespace quorvex6::backend::arj_writer
