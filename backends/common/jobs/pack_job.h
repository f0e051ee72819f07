// The one pack job: writes a plan into a new archive through a format's writer (old entries
// copied raw, new ones encoded on workers and written in order), logs each entry, shows
// progress, keeps per-entry failures, and puts the new archive in place of the old one only
// when it is complete.
#pragma once
#include <string>

#include "common/jobs/pack_format.h"
#include "common/jobs/pack_plan.h"
#include "common/output_log.h"
#include "common/progress.h"
#include "common/replacement_file.h"
#include "common/result.h"

namespace quorvex6::backend::jobs {

// A library's words for what the job logs.
struct PackWording {
    std::string progress = "adding";
    std::string added = "added ";
    // "skipped name: why", or "not packed: why" when the reason names the file itself.
    std::string failed = "skipped ";
    bool failure_names_entry = true;
    bool logs_kept_not_newer = true;  // "kept name: not newer"
};

// Logs the plan's kept and deleted entries, writes it and commits `target`. A file that
// cannot be read is logged and noted, and the rest goes on; a failure of the archive itself
// (a full disk) ends the job with the old archive untouched.
void RunPack(ReplacementFile& target, PackWriter& writer, const Plan& plan,
             const PackWording& wording, OutputLog& log, ResultKeeper& result, Progress& progress);

// The same without the commit, for a writer whose output is not yet the archive (a cabinet set
// is cut from what it wrote).
void WritePack(PackWriter& writer, const Plan& plan, const PackWording& wording, OutputLog& log,
               ResultKeeper& result, Progress& progress);

}  // namespace quorvex6::backend::jobs
