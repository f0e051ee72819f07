#include "unarj32j/commands.h"

#include <functional>

#include "common/extract_target.h"
#include "common/jobs/extract_job.h"
#include "common/name_selection.h"
#include "common/progress.h"
#include "common/result.h"
#include "io/memory.h"
#include "unarj32j/extract_adapter.h"
#include "unarj32j/faults.h"

namespace quorvex6::backend::unarj32j {

namespace {

// Damage after the last entry read: whatever came before it was still worked on.
void NoteDamage(const Archive& archive, OutputLog& log, ResultKeeper& keeper) {
    if (!archive.end_error()) return;
    log.Line("archive damaged after " + std::to_string(archive.entries().size()) +
             " entries: " + archive.end_error()->what());
    keeper.Note(ResultCodeOf(archive.end_error()->fault()));
}

}  // namespace

int32_t Extract(const Archive& archive, const std::vector<std::string>& names,
                const std::string& folder, const Options& options, OutputLog& log) {
    ResultKeeper keeper;
    NameSelection selection(names, true);
    ExtractOptions eo;
    eo.folder = folder;
    eo.junk_paths = !options.folder_parts;
    eo.only_newer = options.only_newer;
    eo.restore_mode = options.restore_mode;
    eo.backslash_separates = false;  // the reader has made every separator '/'
    ExtractTarget target(eo, log, keeper);
    Progress progress(options.progress);
    ArjExtractFormat format(archive, options.folder_parts, log);
    jobs::RunExtraction(format, selection, target, log, progress);
    selection.ReportUnmatched(log, keeper);
    NoteDamage(archive, log, keeper);
    return keeper.code();
}

int32_t Test(const Archive& archive, const std::vector<std::string>& names, OutputLog& log) {
    ResultKeeper keeper;
    NameSelection selection(names, true);
    VolumeInputs inputs(archive.volumes());
    for (const arj::JoinedEntry& joined : archive.entries()) {
        const arj::Entry& e = joined.entry;
        if (!e.has_data() || !selection.Selects(e.name)) continue;
        io::NullSink sink;
        try {
            if (!joined.complete)
                throw io::Error(io::Fault::kBrokenData, "a volume of it is missing");
            arj::VolumeSet::Decode(joined, std::ref(inputs), sink);
            log.Line("ok     " + e.name);
        } catch (const io::Error& error) {
            // A failing archive file ends the test; damage is the entry's alone.
            if (error.fault() == io::Fault::kRead) throw FailureOf(error, archive.path());
            log.Line("error  " + e.name + ": " + error.what());
            keeper.Note(ResultCodeOf(error.fault()));
        }
    }
    selection.ReportUnmatched(log, keeper);
    NoteDamage(archive, log, keeper);
    return keeper.code();
}

}  // namespace quorvex6::backend::unarj32j
