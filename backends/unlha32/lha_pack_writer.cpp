#include "unlha32/lha_pack_writer.h"

namespace quorvex6::backend::unlha32 {

using backend::lha::Entry;

namespace {

class LhaEncoder final : public backend::jobs::EntryEncoder {
  public:
    explicit LhaEncoder(const std::string& method) : method_(method) {}

    uint64_t Encode(const backend::SourceItem& item, backend::io::RandomInput* data,
                    backend::io::RandomOutput& out,
                    std::unique_ptr<backend::jobs::EncodedEntry>&) override {
        Entry entry = NewEntry(item);
        backend::lha::Writer(out, method_).Add(entry, entry.has_data() ? data : nullptr);
        return out.position();
    }

  private:
    const std::string& method_;
};

}  // namespace

Entry NewEntry(const backend::SourceItem& item) {
    Entry e;
    e.name = item.stored;
    e.folder = item.stat.kind == backend::FileKind::kFolder;
    if (item.stat.kind == backend::FileKind::kLink) e.link_target = item.link_target;
    e.mtime = item.stat.mtime;
    e.unix_mode = static_cast<uint16_t>(item.stat.mode & 07777);
    if (e.folder && !e.name.empty() && e.name.back() != '/') e.name += '/';
    return e;
}

LhaOldArchive::LhaOldArchive(const Archive* archive) {
    if (archive == nullptr) return;
    for (const Entry& e : archive->entries()) entries_.push_back({e.name, e.mtime});
}

LhaPackWriter::LhaPackWriter(backend::OutputFile& file, unlha32::Archive* old, std::string method)
    : out_(file), writer_(out_, method), old_(old), method_(std::move(method)) {}

std::unique_ptr<backend::jobs::EntryEncoder> LhaPackWriter::MakeEncoder() {
    return std::make_unique<LhaEncoder>(method_);
}

void LhaPackWriter::CopyRaw(size_t index) {
    writer_.CopyRaw(old_->reader(), old_->entries()[index]);
}

void LhaPackWriter::Finish() {
    writer_.Finish();
    // An entry stored after all, or one that failed, may have left bytes behind the end.
    if (!out_.CutHere()) out_.Rethrow();
}

}  // namespace quorvex6::backend::unlha32
