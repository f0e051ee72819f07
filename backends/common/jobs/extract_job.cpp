#include "common/jobs/extract_job.h"

#include <unordered_map>
#include <vector>

#include "common/file_sink.h"
#include "common/jobs/ordered_pool.h"
#include "common/jobs/spare_buffers.h"
#include "io/memory.h"

namespace quorvex6::backend::jobs {

namespace {

void WriteFile(ExtractFormat& format, const ExtractItem& item, PendingFile& file) {
    FileSink sink(file);
    try {
        format.Decode(item, sink);
    } catch (...) {
        sink.Rethrow();  // a full disk keeps its code
        throw;
    }
    sink.Rethrow();
    file.Commit(item.mtime, item.mode);
}

// Lends the format's idle time to the pool for as long as both exist.
class IdleTimeLoan {
  public:
    IdleTimeLoan(ExtractFormat& format, OrderedPool& pool) : format_(format) {
        format_.LendIdleTime(&pool);
    }
    ~IdleTimeLoan() { format_.LendIdleTime(nullptr); }
    IdleTimeLoan(const IdleTimeLoan&) = delete;
    IdleTimeLoan& operator=(const IdleTimeLoan&) = delete;

  private:
    ExtractFormat& format_;
};

class Extraction {
  public:
    Extraction(ExtractFormat& format, ExtractTarget& target, OutputLog& log)
        : format_(format),
          target_(target),
          pool_({.threads = format.Threads()},
                [this, &log](const std::string& name, const Failure* f) {
                    if (f) {
                        target_.EntryFailed(name, *f);
                    } else {
                        log.Line("extracted " + name);
                    }
                }) {}

    void Run(NameSelection& names, Progress& progress) {
        IdleTimeLoan loan(format_, pool_);
        ExtractItem item;
        uint64_t index = 0;
        const uint64_t count = format_.Count();
        while (format_.Next(item)) {
            ++index;
            if (!names.Selects(item.name)) continue;
            progress.Entry("extracting", item.name, index, count);
            try {
                One(item);
            } catch (const Failure& f) {
                if (f.code() == result::kDiskFull) throw;
                pool_.Done(item.name, &f);
            }
        }
        pool_.Drain();
    }

  private:
    void One(const ExtractItem& item) {
        if (!format_.Admit(item)) return;
        std::optional<std::string> relative =
            target_.Place(item.name, item.mtime, item.kind == ItemKind::kFolder);
        if (!relative) return;
        switch (item.kind) {
            case ItemKind::kFolder:
                target_.MakeFolder(*relative, item.mtime, item.mode);
                if (format_.ReportsFolders()) pool_.Done(item.name);
                return;
            case ItemKind::kSymlink: {
                const std::string to = format_.LinkTarget(item);
                pool_.Drain();  // a link must not lead through a file not yet there
                if (target_.MakeLink(*relative, to)) pool_.Done(item.name);
                return;
            }
            case ItemKind::kHardLink: {
                const std::string to = format_.LinkTarget(item);
                pool_.Drain();
                if (target_.MakeHardLink(*relative, to)) pool_.Done(item.name);
                return;
            }
            case ItemKind::kOther:
                return;
            case ItemKind::kFile:
                File(item, *relative);
                return;
        }
    }

    // Files are made on the pool too, as making them is much of the work when they are small;
    // no check is overtaken by a link, as links are made only when no file work is left.
    void File(const ExtractItem& item, const std::string& relative) {
        format_.BeforeFile(item);
        // Here, not on the pool: the names placed meanwhile in the same folder, often all of
        // them, then skip the check of their path.
        target_.MakeFolderOf(relative);
        switch (format_.PathOf(item)) {
            case DataPath::kHere: {
                pool_.Drain();
                {  // closed before it is reported, as work on the pool does
                    PendingFile file = target_.BeginFile(relative, item.mode);
                    WriteFile(format_, item, file);
                }
                pool_.Done(item.name);
                return;
            }
            case DataPath::kBuffered: {
                std::vector<uint8_t> bytes = spare_.Take();
                bytes.reserve(item.size);
                io::VectorSink sink(bytes);
                format_.Decode(item, sink);
                WaitForSameName(relative);
                const size_t size = bytes.size();
                Submit(item.name, relative,
                       PoolTask([this, relative, bytes = std::move(bytes), mtime = item.mtime,
                                 mode = item.mode]() mutable {
                           PendingFile file = target_.BeginFile(relative, mode);
                           if (!bytes.empty()) file.Write(bytes.data(), bytes.size());
                           file.Commit(mtime, mode);
                           spare_.Give(bytes);
                       }),
                       size);
                return;
            }
            case DataPath::kAnyThread:
                WaitForSameName(relative);
                Submit(item.name, relative, PoolTask([this, relative, item] {
                           PendingFile file = target_.BeginFile(relative, item.mode);
                           WriteFile(format_, item, file);
                       }));
                return;
        }
    }

    void Submit(const std::string& name, const std::string& relative, PoolTask task,
                size_t bytes = 0) {
        writing_[relative] = pool_.Submit(name, std::move(task), bytes);
    }

    // Copies of one name are made one after another, so that the later one ends at the name
    // and an earlier copy that fails removes only itself.
    void WaitForSameName(const std::string& relative) {
        auto it = writing_.find(relative);
        if (it != writing_.end() && it->second >= pool_.reported()) pool_.Drain();
    }

    ExtractFormat& format_;
    ExtractTarget& target_;
    SpareBuffers spare_;
    std::unordered_map<std::string, uint64_t> writing_;  // a path: its latest work's number
    OrderedPool pool_;  // last: its work uses the members above until it ends
};

}  // namespace

void RunExtraction(ExtractFormat& format, NameSelection& names, ExtractTarget& target,
                   OutputLog& log, Progress& progress) {
    Extraction(format, target, log).Run(names, progress);
}

void ExtractSelected(ExtractFormat& format, const std::vector<std::string>& names,
                     const ExtractOptions& options, bool progress, OutputLog& log,
                     ResultKeeper& keeper) {
    NameSelection selection(names, true);
    ExtractTarget target(options, log, keeper);
    Progress shown(progress);
    RunExtraction(format, selection, target, log, shown);
    selection.ReportUnmatched(log, keeper);
}

}  // namespace quorvex6::backend::jobs
