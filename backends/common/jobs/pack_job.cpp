#include "common/jobs/pack_job.h"

#include "common/fault_codes.h"
#include "common/jobs/pack_queue.h"
#include "io/fault.h"

namespace quorvex6::backend::jobs {

namespace {

Failure AsFailure(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const Failure& f) {
        return f;
    } catch (const io::Error& e) {
        return Failure(ResultCodeOf(e.fault()), e.what());
    }
}

// Format work on the writing thread: the file call's own failure wins over the kWrite it
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

}  // namespace

void RunPack(ReplacementFile& target, PackWriter& writer, const Plan& plan,
             const PackWording& wording, OutputLog& log, ResultKeeper& result, Progress& progress) {
    if (wording.logs_kept_not_newer) {
        for (const std::string& name : plan.kept_not_newer)
            log.Line("kept " + name + ": not newer");
    }
    for (const std::string& name : plan.deleted) log.Line("deleted " + name);
    std::vector<const SourceItem*> items;
    for (const PlannedEntry& entry : plan.entries) {
        if (entry.source != nullptr) items.push_back(entry.source);
    }
    PackQueue queue(writer, items);
    for (size_t i = 0; i < plan.entries.size(); ++i) {
        const PlannedEntry& entry = plan.entries[i];
        if (entry.source == nullptr) {
            RunFormatWork(writer, [&] { writer.CopyRaw(entry.old); });
            continue;
        }
        const std::string& name = entry.source->stored;
        progress.Entry(wording.progress, name, i + 1, plan.entries.size());
        std::optional<EntryFailure> failure = queue.WriteNext();
        if (!failure) {
            log.Line(wording.added + name);
            continue;
        }
        Failure f = AsFailure(failure->error);
        bool archive_failed = f.code() == result::kDiskFull || f.code() == result::kWriteError;
        if (archive_failed || !failure->taken_back) throw f;
        log.Line(wording.failed + (wording.failure_names_entry ? name + ": " : "") + f.what());
        result.Note(f.code());
    }
    RunFormatWork(writer, [&] { writer.Finish(); });
    target.Commit();
}

}  // namespace quorvex6::backend::jobs
