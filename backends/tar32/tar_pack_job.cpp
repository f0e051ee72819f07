#include "tar32/tar_pack_job.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "common/file_sink.h"
#include "common/file_system.h"
#include "common/input_opener.h"
#include "common/replacement_file.h"
#include "formats/tar/tar_compression.h"
#include "formats/tar/tar_header.h"
#include "formats/tar/tar_writer.h"

namespace quorvex6::backend::tar32 {

using namespace tar;

namespace {

// Everything but large files goes in batches, laid out in one buffer exactly as in the archive:
// the files are read straight into their places, then the buffer is written at once. A batch
// that stays in the processor's cache between the reads and the write halves the cost of
// copying; reading on more threads cost more than it saved on a machine with busy processors.
constexpr uint64_t kSmallFile = 1 << 20;
constexpr size_t kBatchBytes = 256 << 10;

bool IsLarge(const SourceItem& item) { return item.stat.kind == FileKind::kRegular && item.stat.size > kSmallFile; }

HeaderFields FieldsOf(const SourceItem& item) {
    HeaderFields f;
    f.name = item.stored;
    f.mode = item.stat.mode & 07777;
    f.mtime = item.stat.mtime;
    switch (item.stat.kind) {
        case FileKind::kFolder:
            f.type = HeaderType::kFolder;
            break;
        case FileKind::kLink:
            f.type = HeaderType::kSymlink;
            f.link = item.link_target;
            break;
        default:
            f.size = item.stat.size;
    }
    return f;
}

// One entry of a batch: where its header starts and its data goes in the buffer.
struct Slot {
    const SourceItem* item = nullptr;
    size_t begin = 0, data = 0, end = 0;
    std::optional<Failure> failure;
    bool shrank = false;  // ends the whole archive: what was listed is no longer there
};

class Batch {
  public:
    // Takes items from `next` while they fit; at least one.
    size_t Lay(const std::vector<const SourceItem*>& items, size_t next) {
        slots_.clear();
        headers_.clear();
        size_t size = 0;
        for (; next < items.size() && !IsLarge(*items[next]); ++next) {
            const SourceItem& item = *items[next];
            uint64_t data = item.stat.kind == FileKind::kRegular ? item.stat.size : 0;
            if (!slots_.empty() && size + data + 2 * kBlock > kBatchBytes) break;
            size_t header = headers_.size();
            AppendHeader(FieldsOf(item), headers_);
            Slot slot;
            slot.item = &item;
            slot.begin = size;
            slot.data = size + headers_.size() - header;
            slot.end = slot.data + data + PaddingAfter(data);
            size = slot.end;
            slots_.push_back(std::move(slot));
        }
        // Not zero-filled: every byte is a header, data read over it, or padding set here.
        if (capacity_ < size) {
            bytes_.reset(new uint8_t[size]);
            capacity_ = size;
        }
        size_ = size;
        size_t header = 0;
        for (const Slot& slot : slots_) {
            std::copy_n(headers_.data() + header, slot.data - slot.begin, bytes_.get() + slot.begin);
            header += slot.data - slot.begin;
            size_t data = slot.item->stat.kind == FileKind::kRegular ? slot.item->stat.size : 0;
            std::fill(bytes_.get() + slot.data + data, bytes_.get() + slot.end, 0);
        }
        return next;
    }

    void Read() {
        for (Slot& slot : slots_) {
            if (slot.item->stat.kind != FileKind::kRegular) continue;
            try {
                InputFile file = opener_.Open(slot.item->disk_path);
                size_t want = static_cast<size_t>(slot.item->stat.size);
                if (file.Read(bytes_.get() + slot.data, want) != want) {
                    slot.shrank = true;
                    throw Failure(result::kReadError, slot.item->disk_path + " became shorter while it was read");
                }
            } catch (const Failure& f) {
                slot.failure = f;
            }
        }
    }

    // Writes every entry that was read whole; a file that could not be read is left out.
    void Write(Writer& out, OutputLog& log, ResultKeeper& result, Progress& progress, size_t first, size_t total) {
        size_t from = 0;
        for (size_t k = 0; k < slots_.size(); ++k) {
            const Slot& slot = slots_[k];
            progress.Entry("adding", slot.item->stored, first + k + 1, total);
            if (slot.shrank) throw *slot.failure;
            if (slot.failure) {
                out.AddLaidOut(bytes_.get() + from, slot.begin - from);
                from = slot.end;
                log.Line("skipped " + slot.item->stored + ": " + slot.failure->what());
                result.Note(slot.failure->code());
                continue;
            }
            log.Line("added " + slot.item->stored);
        }
        out.AddLaidOut(bytes_.get() + from, size_ - from);
    }

  private:
    std::vector<Slot> slots_;
    std::vector<uint8_t> headers_;
    std::unique_ptr<uint8_t[]> bytes_;
    size_t capacity_ = 0, size_ = 0;
    InputOpener opener_;
};

// A large file's data, read as the writer asks for it. A file that became shorter since it was
// listed ends the whole archive: its header already promised the listed size.
class FileData final : public io::Source {
  public:
    FileData(const SourceItem& item, InputFile& file) : item_(item), file_(file) {}
    std::ptrdiff_t read(std::uint8_t* data, std::size_t size) override {
        size_t n = file_.ReadAt(offset_, data, static_cast<size_t>(std::min<uint64_t>(size, item_.stat.size - offset_)));
        if (n == 0 && size > 0) throw Failure(result::kReadError, item_.disk_path + " became shorter while it was read");
        offset_ += n;
        return static_cast<std::ptrdiff_t>(n);
    }

  private:
    const SourceItem& item_;
    InputFile& file_;
    uint64_t offset_ = 0;
};

// Files above kSmallFile stream through the writer's buffer.
void WriteLarge(const SourceItem& item, Writer& out, OutputLog& log, ResultKeeper& result) {
    InputFile file;
    try {
        file = InputFile(item.disk_path);
    } catch (const Failure& f) {
        log.Line("skipped " + item.stored + ": " + f.what());
        result.Note(f.code());
        return;
    }
    FileData data(item, file);
    out.Add(FieldsOf(item), data);
    log.Line("added " + item.stored);
}

}  // namespace

void PackTar(const std::string& archive_path, const std::vector<SourceItem>& sources, OutputLog& log,
             ResultKeeper& result, Progress& progress) {
    if (sources.empty()) throw Failure(result::kFileNotFound, "nothing to pack");
    auto existing = StatPath(archive_path);
    ReplacementFile target(archive_path);
    FileSink sink(target.file());
    try {
        Writer output(sink, CompressionForName(archive_path).compression);
        std::vector<const SourceItem*> items;
        for (const SourceItem& item : sources)
            if (!existing || item.stat.device != existing->device || item.stat.inode != existing->inode)
                items.push_back(&item);
        Batch batch;
        for (size_t i = 0; i < items.size();) {
            if (IsLarge(*items[i])) {
                progress.Entry("adding", items[i]->stored, i + 1, items.size());
                WriteLarge(*items[i++], output, log, result);
                continue;
            }
            size_t end = batch.Lay(items, i);
            batch.Read();
            batch.Write(output, log, result, progress, i, items.size());
            i = end;
        }
        output.Finish();
    } catch (const io::Error&) {
        sink.Rethrow();  // the file call's own failure: a full disk stays 0x8005
        throw;
    }
    target.Commit();
}

}  // namespace quorvex6::backend::tar32
