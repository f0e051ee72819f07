#include "rar_writer/update.h"

#include <optional>
#include <string>
#include <vector>

#include "common/archive_input.h"
#include "common/file_system.h"
#include "common/jobs/pack_job.h"
#include "common/jobs/pack_plan.h"
#include "common/pack_sources.h"
#include "common/progress.h"
#include "common/replacement_file.h"
#include "common/result.h"
#include "formats/rar/reader.h"
#include "rar_writer/exit_codes.h"
#include "rar_writer/rar_pack_writer.h"

namespace quorvex6::backend::rar_writer {

namespace {

bool SameFile(const FileStat& a, const std::optional<FileStat>& b) {
    return b && a.device == b->device && a.inode == b->inode;
}

// Raw copies are RAR 5.0 entries of a plain archive: anything else would be split, dropped or
// mixed with another generation.
void RefuseToRewrite(const rar::Volume& old, const std::string& path) {
    std::string why;
    if (old.end_error) why = "damaged archive";
    if (old.generation != rar::Generation::kRar5) why = "a RAR 4 archive";
    if (old.is_volume) why = "a multiple-volume archive";
    if (old.solid) why = "a solid archive";
    if (old.locked) why = "a locked archive";
    for (const rar::Entry& e : old.entries)
        if (e.encrypted) why = "an archive with encrypted entries";
    if (!why.empty()) throw Failure(result::kBrokenHeader, path + ": " + why + ", not updated");
}

}  // namespace

int Update(const Arguments& args, OutputLog& log) {
    ResultKeeper keeper;
    SourceOptions so;
    // No names at all is everything below the current folder.
    so.recursive = args.recursive || args.names.empty();
    so.folder_entries = true;
    so.junk_paths = args.junk_paths;
    so.include_hidden = !args.skip_hidden;
    so.keep_others = true;
    const std::vector<std::string> names =
        args.names.empty() ? std::vector<std::string>{"*"} : args.names;
    std::vector<SourceItem> sources = CollectSources(names, so, log, keeper);

    const std::optional<FileStat> archive_stat = StatPath(args.archive);
    std::vector<jobs::NewItem> items;
    for (SourceItem& item : sources) {
        if (SameFile(item.stat, archive_stat)) continue;  // the archive packs not itself
        if (item.stat.kind == FileKind::kOther) {
            log.Line("skipped " + item.stored + ": FIFOs, sockets and devices are not stored");
            keeper.Note(result::kSkipped);
            continue;
        }
        items.push_back({item.stored, &item});
    }

    std::optional<ReplacementFile> replacement;
    try {
        replacement.emplace(args.archive);  // before the old archive is read
    } catch (const Failure& f) {
        log.Line(f.what());
        return kExitCreateError;
    }
    std::optional<ArchiveInput> old_bytes;
    std::optional<rar::Volume> old;
    if (archive_stat) {
        old_bytes.emplace(args.archive);
        old.emplace(rar::ReadVolume(*old_bytes));
        RefuseToRewrite(*old, args.archive);
    }
    jobs::PlanRules rules;
    rules.only_newer = args.only_newer;
    const rar::Volume* old_volume = old ? &*old : nullptr;
    const jobs::Plan plan = jobs::PlanUpdate(RarOldArchive(old_volume).Entries(), items, rules);
    if (plan.changes) {
        RarPackWriter writer(replacement->file(), old_volume, old_bytes ? &*old_bytes : nullptr);
        Progress progress(false);
        jobs::RunPack(*replacement, writer, plan, jobs::PackWording{}, log, keeper, progress);
    }
    return ExitCodeOf(keeper.code());
}

}  // namespace quorvex6::backend::rar_writer
