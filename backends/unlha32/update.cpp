#include "unlha32/update.h"

#include <deque>
#include <memory>
#include <optional>

#include "common/file_system.h"
#include "common/jobs/pack_job.h"
#include "common/jobs/pack_plan.h"
#include "common/pack_sources.h"
#include "common/progress.h"
#include "common/replacement_file.h"
#include "formats/lha/names.h"
#include "unlha32/archive.h"
#include "unlha32/extract.h"
#include "unlha32/faults.h"
#include "unlha32/lha_pack_writer.h"

namespace quorvex6::backend::unlha32 {

using backend::Failure;
using backend::lha::Entry;
namespace result = backend::result;

namespace {

// Rewriting would drop what the damage hides.
void RefuseDamaged(const Archive& archive, const std::string& outcome) {
    if (!archive.start_damage().empty()) {
        throw Failure(result::kBrokenHeader,
                      archive.path() + ": " + archive.start_damage() + "; " + outcome);
    }
    if (archive.end_error()) {
        throw Failure(CodeOf(archive.end_error()->fault()),
                      archive.path() + ": damaged archive, " + outcome);
    }
}

std::unique_ptr<Archive> OpenExisting(const std::string& path) {
    std::optional<backend::FileStat> st = backend::StatPath(path);
    if (!st) return nullptr;
    auto archive = std::make_unique<Archive>(path);
    RefuseDamaged(*archive, "not updated");
    return archive;
}

const backend::jobs::PackWording& Wording() {
    static const backend::jobs::PackWording wording{"packing", "packed ", "not packed: ", false,
                                                    false};
    return wording;
}

void Write(backend::ReplacementFile& replacement, Archive* old, const backend::jobs::Plan& plan,
           const Options& options, backend::OutputLog& log, backend::ResultKeeper& keeper) {
    LhaPackWriter writer(replacement.file(), old, options.method);
    backend::Progress progress(options.progress);
    backend::jobs::RunPack(replacement, writer, plan, Wording(), log, keeper, progress);
}

}  // namespace

int32_t Update(const backend::ParsedCommand& cmd, const Options& options, backend::OutputLog& log) {
    backend::ResultKeeper keeper;
    backend::SourceOptions so;
    so.base = cmd.folder;
    so.recursive = options.recursive;
    so.folder_entries = options.recursive && options.folder_parts;
    so.junk_paths = !options.folder_parts;
    so.include_hidden = options.include_hidden;
    std::vector<std::string> names =
        cmd.names.empty() ? std::vector<std::string>{"*.*"} : cmd.names;
    std::vector<backend::SourceItem> sources = backend::CollectSources(names, so, log, keeper);

    backend::ReplacementFile replacement(cmd.archive);  // before the old archive is read
    std::unique_ptr<Archive> old = OpenExisting(cmd.archive);
    std::vector<backend::jobs::NewItem> items;
    std::deque<std::string> item_names;  // a deque never moves them, so items may view them
    for (const backend::SourceItem& item : sources) {
        if (item.stat.kind == backend::FileKind::kOther) {
            log.Line("skipped " + item.stored + ": not a regular file, folder or link");
            continue;
        }
        const Entry entry = NewEntry(item);
        if (std::optional<std::string> why =
                backend::lha::UnstorableName(entry.name, entry.link_target)) {
            log.Line("not packed " + item.stored + ": " + *why);
            keeper.Note(result::kUnknownType);
            continue;
        }
        items.push_back({item_names.emplace_back(entry.name), &item});
    }
    backend::jobs::PlanRules rules;
    rules.only_newer = cmd.command != "a" && options.check_time;
    backend::jobs::Plan plan =
        backend::jobs::PlanUpdate(LhaOldArchive(old.get()).Entries(), items, rules);
    if (!old || plan.changes) Write(replacement, old.get(), plan, options, log, keeper);
    return keeper.code();
}

int32_t Delete(const backend::ParsedCommand& cmd, backend::OutputLog& log) {
    if (cmd.names.empty()) throw Failure(result::kNeedFileName, "d needs the names to delete");
    backend::ReplacementFile replacement(cmd.archive);  // before the archive is read
    auto archive = std::make_unique<Archive>(cmd.archive);
    RefuseDamaged(*archive, "not changed");
    backend::NameSelection selection(cmd.names, true);
    std::vector<const Entry*> selected = Select(*archive, selection);
    const std::vector<Entry>& entries = archive->entries();
    std::vector<bool> doomed(entries.size(), false);
    for (const Entry* e : selected) doomed[static_cast<size_t>(e - entries.data())] = true;
    backend::jobs::Plan plan =
        backend::jobs::PlanDeletion(LhaOldArchive(archive.get()).Entries(), doomed);
    backend::ResultKeeper keeper;
    if (plan.changes) Write(replacement, archive.get(), plan, Options{}, log, keeper);
    return keeper.code();
}

}  // namespace quorvex6::backend::unlha32
