#include "tar32/tar_extract.h"

#include <optional>

#include "common/file_sink.h"
#include "common/file_write_queue.h"
#include "common/wildcard.h"
#include "io/memory.h"
#include "tar32/space_budget.h"

namespace quorvex6::backend::tar32 {

namespace {

// Lends the decoder's idle time to the queue for as long as both exist.
class IdleTimeLoan {
  public:
    IdleTimeLoan(tar::TarReader& reader, FileWriteQueue& queue)
        : reader_(reader), lent_(reader.ShareIdleTime(&queue)) {}
    ~IdleTimeLoan() {
        if (lent_) reader_.ShareIdleTime(nullptr);
    }
    IdleTimeLoan(const IdleTimeLoan&) = delete;
    IdleTimeLoan& operator=(const IdleTimeLoan&) = delete;
    bool lent() const { return lent_; }

  private:
    tar::TarReader& reader_;
    bool lent_;
};

}  // namespace

void ExtractEntries(tar::TarReader& reader, NameSelection& names, ExtractTarget& target,
                    OutputLog& log, Progress& progress) {
    FileWriteQueue writes([&](const std::string& name, const Failure* failure) {
        if (failure) {
            target.EntryFailed(name, *failure);
        } else {
            log.Line("extracted " + name);
        }
    });
    IdleTimeLoan loan(reader, writes);
    SpaceBudget space(target.options().folder);
    tar::TarEntry entry;
    std::vector<uint8_t> bytes;  // of a small file, for the queue
    uint64_t index = 0;
    while (reader.Next(entry)) {
        const std::string& name = entry.facts.name;
        ++index;
        if (!names.Selects(name)) continue;
        progress.Entry("extracting", name, index, 0);
        if (entry.kind == tar::EntryKind::kOther) {
            log.Line("skipped " + name + ": not a file, folder or link");
            continue;
        }
        std::optional<std::string> relative =
            target.Place(name, entry.facts.mtime, entry.facts.folder);
        if (!relative) continue;
        try {
            switch (entry.kind) {
                case tar::EntryKind::kFolder:
                    target.MakeFolder(*relative, entry.facts.mtime, entry.mode);
                    writes.Done(name);
                    continue;
                case tar::EntryKind::kSymlink:
                    writes.Drain();
                    if (!target.MakeLink(*relative, entry.link_target)) continue;
                    break;
                case tar::EntryKind::kHardLink:
                    writes.Drain();
                    if (!target.MakeHardLink(*relative, entry.link_target)) continue;
                    break;
                default: {
                    space.Take(name, entry.stored_size);
                    PendingFile file = target.BeginFile(*relative, entry.mode);
                    // Without a decoding thread to share the work, queueing would only add a copy;
                    // a sparse file is not queued, as its holes would be filled in memory.
                    if (loan.lent() && entry.facts.original_size <= FileWriteQueue::kMaxFileBytes &&
                        entry.stored_size == entry.facts.original_size) {
                        io::VectorSink sink(bytes);
                        bytes.reserve(entry.facts.original_size);
                        reader.ReadData(sink);
                        writes.Submit(name, std::move(file), bytes, entry.facts.mtime, entry.mode);
                        continue;  // reported once written
                    }
                    writes.Drain();
                    FileSink sink(file);
                    try {
                        reader.ReadData(sink);
                    } catch (const io::Error&) {
                        sink.Rethrow();
                        throw;
                    }
                    file.Commit(entry.facts.mtime, entry.mode);
                }
            }
            log.Line("extracted " + name);
        } catch (const Failure& f) {
            // The stream cannot be resynchronised after broken data; a full disk ends everything.
            if (f.code() == result::kDiskFull || f.code() == result::kBrokenData) throw;
            target.EntryFailed(name, f);
        }
    }
    writes.Drain();
}

}  // namespace quorvex6::backend::tar32
