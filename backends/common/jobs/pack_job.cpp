#include "common/jobs/pack_job.h"

#include <algorithm>
#include <deque>
#include <vector>

#include "common/archive_input.h"
#include "common/fault_codes.h"
#include "common/input_opener.h"
#include "common/jobs/handle_pool.h"
#include "common/jobs/ordered_pool.h"
#include "common/jobs/spool_output.h"
#include "common/system.h"
#include "io/fault.h"

namespace quorvex6::backend::jobs {

namespace {

// Spools of entries not yet written may sum to this; a small entry counts as a share of it, so
// that at most kAheadEntries of them wait.
constexpr size_t kAheadBytes = 8 << 20;
constexpr size_t kAheadEntries = 256;

Failure AsFailure(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const Failure& f) {
        return f;
    } catch (const io::Error& e) {
        return Failure(ResultCodeOf(e.fault()), e.what());
    }
}

// Format work on the command's thread: the file call's own failure wins over the kWrite it
// caused (a full disk stays 0x8005).
template <class Work>
void RunFormatWork(const PackWriter& writer, Work&& work) {
    try {
        work();
    } catch (const io::Error&) {
        writer.CheckArchive();
        throw;
    }
    writer.CheckArchive();
}

// What one thread encodes with; the file opener keeps the folder of its last file open.
struct EncodingTools {
    explicit EncodingTools(std::unique_ptr<EntryEncoder> made) : encoder(std::move(made)) {}
    std::unique_ptr<EntryEncoder> encoder;
    InputOpener opener;
};

unsigned WorkersFor(const PackWriter& writer, size_t entries) {
    return static_cast<unsigned>(
        std::min<size_t>({ProcessorCount(), writer.MaxWorkers(), entries}));
}

// New entries are encoded on the pool in plan order; the pool's reports, on the command's
// thread in plan order, write each into the archive (or copy a kept entry) where it ends.
class PackRun {
  public:
    PackRun(PackWriter& writer, const Plan& plan, const PackWording& wording, OutputLog& log,
            ResultKeeper& result, Progress& progress)
        : writer_(writer),
          plan_(plan),
          wording_(wording),
          log_(log),
          result_(result),
          progress_(progress),
          last_new_(LastNewEntry(plan)),
          at_once_(WorkersFor(writer, NewEntryCount(plan)) == 0),
          tools_([&writer] { return MakeTools(writer); }),
          pool_({.bytes = kAheadBytes, .threads = WorkersFor(writer, NewEntryCount(plan))},
                [this](const std::string&, const Failure*) { WriteNext(); }) {}

    void Run() {
        // Without workers nothing could overlap with an entry: each is encoded as it comes, with
        // the command thread's own tools.
        std::unique_ptr<EncodingTools> own = at_once_ ? MakeTools(writer_) : nullptr;
        for (size_t i = 0; i < plan_.entries.size(); ++i) {
            const PlannedEntry& planned = plan_.entries[i];
            if (planned.source == nullptr) {
                pool_.Done({});
                continue;
            }
            SpooledEntry& e = in_flight_.emplace_back();
            e.item = planned.source;
            e.number = i;
            e.last = i == last_new_;
            if (own) {
                Encode(e, *own);
                pool_.Done({});
                continue;
            }
            const size_t held = static_cast<size_t>(std::max<uint64_t>(
                std::min<uint64_t>(e.item->stat.size, kSpoolLimit), kAheadBytes / kAheadEntries));
            pool_.Submit({}, PoolTask([this, &e] { Encode(e, *tools_.Take()); }), held);
        }
        pool_.Drain();
    }

  private:
    static size_t NewEntryCount(const Plan& plan) {
        return static_cast<size_t>(
            std::count_if(plan.entries.begin(), plan.entries.end(),
                          [](const PlannedEntry& e) { return e.source != nullptr; }));
    }

    static size_t LastNewEntry(const Plan& plan) {
        for (size_t i = plan.entries.size(); i-- > 0;)
            if (plan.entries[i].source != nullptr) return i;
        return plan.entries.size();
    }

    static std::unique_ptr<EncodingTools> MakeTools(PackWriter& writer) {
        return std::make_unique<EncodingTools>(writer.MakeEncoder());
    }

    // On whatever thread runs it; what fails is the entry's, for its report.
    void Encode(SpooledEntry& entry, EncodingTools& tools) {
        try {
            SpoolOutput out(entry, pool_, writer_.Archive());
            // Without workers its turn has come: a format may then write the archive itself at
            // its position.
            if (at_once_) out.BeginDirect();
            const SourceItem& item = *entry.item;
            if (item.stat.kind == FileKind::kRegular) {
                ArchiveInput input(tools.opener.Open(item.disk_path), item.stat.size);
                entry.size = tools.encoder->Encode(item, &input, out, entry.encoded);
            } else {
                entry.size = tools.encoder->Encode(item, nullptr, out, entry.encoded);
            }
        } catch (...) {
            entry.failure = std::current_exception();
        }
    }

    void WriteNext() {
        const PlannedEntry& planned = plan_.entries[written_++];
        if (planned.source == nullptr) {
            RunFormatWork(writer_, [&] { writer_.CopyRaw(planned.old); });
            return;
        }
        SpooledEntry& entry = in_flight_.front();
        progress_.Entry(wording_.progress, entry.item->stored, written_, plan_.entries.size());
        Write(entry);
        in_flight_.pop_front();
    }

    void Write(SpooledEntry& entry) {
        io::RandomOutput& archive = writer_.Archive();
        writer_.CheckArchive();
        const std::string& name = entry.item->stored;
        if (entry.failure) {
            // What a failed entry wrote is overwritten by the next one, where the archive can be.
            if (entry.direct) archive.seek(entry.base);
            const bool taken_back = !entry.direct || writer_.Rewinds();
            Failure f = AsFailure(entry.failure);
            bool archive_failed = f.code() == result::kDiskFull || f.code() == result::kWriteError;
            if (archive_failed || !taken_back) throw f;
            log_.Line(wording_.failed + (wording_.failure_names_entry ? name + ": " : "") +
                      f.what());
            result_.Note(f.code());
            return;
        }
        const uint64_t offset = entry.direct ? entry.base : archive.position();
        if (entry.direct) {
            archive.seek(entry.base + entry.size);
        } else if (!archive.write(entry.spool.data(), static_cast<size_t>(entry.size))) {
            writer_.CheckArchive();
            throw io::Error(io::Fault::kWrite, "cannot write the archive");
        }
        writer_.Placed(std::move(entry.encoded), offset);
        log_.Line(wording_.added, name);
    }

    PackWriter& writer_;
    const Plan& plan_;
    const PackWording& wording_;
    OutputLog& log_;
    ResultKeeper& result_;
    Progress& progress_;
    // Entries handed over and not yet written, in plan order: a large tree holds only those.
    std::deque<SpooledEntry> in_flight_;
    const size_t last_new_;
    const bool at_once_;
    size_t written_ = 0;
    HandlePool<EncodingTools> tools_;
    OrderedPool pool_;  // last: its work uses the members above until it ends
};

}  // namespace

void WritePack(PackWriter& writer, const Plan& plan, const PackWording& wording, OutputLog& log,
               ResultKeeper& result, Progress& progress) {
    if (wording.logs_kept_not_newer) {
        for (const std::string& name : plan.kept_not_newer)
            log.Line("kept " + name + ": not newer");
    }
    for (const std::string& name : plan.deleted) log.Line("deleted " + name);
    PackRun(writer, plan, wording, log, result, progress).Run();
    RunFormatWork(writer, [&] { writer.Finish(); });
}

void RunPack(ReplacementFile& target, PackWriter& writer, const Plan& plan,
             const PackWording& wording, OutputLog& log, ResultKeeper& result, Progress& progress) {
    WritePack(writer, plan, wording, log, result, progress);
    target.Commit();
}

}  // namespace quorvex6::backend::jobs
