#include "arj_writer/update.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "arj_writer/arj_pack_writer.h"
#include "arj_writer/exit_codes.h"
#include "common/archive_input.h"
#include "common/file_system.h"
#include "common/jobs/pack_job.h"
#include "common/jobs/pack_plan.h"
#include "common/pack_sources.h"
#include "common/progress.h"
#include "common/replacement_file.h"
#include "common/result.h"

namespace quorvex6::backend::arj_writer {

namespace {

// Links followed at most, as the system does.
constexpr int kMaxLinkHops = 40;
// DOS times keep even seconds: a file is newer only past that step.
constexpr int64_t kDosTimeStep = 1;

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// What a link leads to, followed through further links.
std::optional<FileStat> Followed(std::string path) {
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        std::optional<FileStat> st = StatPath(path);
        if (!st || st->kind != FileKind::kLink) return st;
        const std::string target = ReadLink(path);
        path = target.starts_with('/') ? target : FolderOf(path) + target;
    }
    return std::nullopt;
}

bool SameFile(const FileStat& a, const std::optional<FileStat>& b) {
    return b && a.device == b->device && a.inode == b->inode;
}

// Without -a a link stands for what it leads to, as arj reads it; FIFOs and devices are never
// stored. Returns why an item is left out.
std::optional<std::string> Admit(SourceItem& item, bool any_attribute) {
    if (item.stat.kind == FileKind::kOther) return "FIFOs, sockets and devices are not stored";
    if (item.stat.kind != FileKind::kLink || any_attribute) return std::nullopt;
    const std::optional<FileStat> target = Followed(item.disk_path);
    if (!target || target->kind != FileKind::kRegular) return "a link that leads to no file";
    item.stat = *target;
    item.link_target.clear();
    return std::nullopt;
}

// Rewriting would drop what the damage hides, or split volumes and chapters apart.
void RefuseToRewrite(const arj::Reader& old, const std::string& path) {
    std::string why;
    if (old.end_error()) why = "damaged archive";
    if (old.continues()) why = "a multiple-volume archive";
    if (old.chapter() != 0) why = "an archive with chapters";
    if (!why.empty()) throw Failure(result::kBrokenHeader, path + ": " + why + ", not updated");
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int64_t Now() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

int Update(const Arguments& args, OutputLog& log) {
    ResultKeeper keeper;
    SourceOptions so;
    // No names at all is everything below the current folder.
    so.recursive = args.recursive || args.names.empty();
    so.folder_entries = false;
    so.junk_paths = args.junk_paths;
    so.include_hidden = true;
    so.keep_others = true;
    const std::vector<std::string> names =
        args.names.empty() ? std::vector<std::string>{"*"} : args.names;
    std::vector<SourceItem> sources = CollectSources(names, so, log, keeper);

    const std::optional<FileStat> archive_stat = StatPath(args.archive);
    std::vector<jobs::NewItem> items;
    for (SourceItem& item : sources) {
        if (SameFile(item.stat, archive_stat)) continue;  // the archive packs not itself
        if (std::optional<std::string> why = Admit(item, args.any_attribute)) {
            log.Line("skipped " + item.stored + ": " + *why);
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
        return kExitCannotOpen;
    }
    std::optional<ArchiveInput> old_bytes;
    std::optional<arj::Reader> old;
    if (archive_stat) {
        old_bytes.emplace(args.archive);
        old.emplace(*old_bytes);
        RefuseToRewrite(*old, args.archive);
    }
    jobs::PlanRules rules;
    rules.only_newer = args.only_newer;
    rules.time_slack = args.dos_host ? kDosTimeStep : 0;
    const arj::Reader* old_reader = old ? &*old : nullptr;
    const jobs::Plan plan = jobs::PlanUpdate(ArjOldArchive(old_reader).Entries(), items, rules);
    if (plan.changes) {
        const EntryStyle style{args.dos_host ? arj::kHostDos : arj::kHostUnix, args.method};
        const arj::ArchiveFacts facts{BaseName(args.archive), Now(), style.host,
                                      old ? old->comment() : std::string()};
        ArjPackWriter writer(replacement->file(), facts, style, old_reader,
                             old_bytes ? &*old_bytes : nullptr);
        Progress progress(false);
        jobs::RunPack(*replacement, writer, plan, jobs::PackWording{}, log, keeper, progress);
    }
    return ExitCodeOf(keeper.code());
}

}  // namespace quorvex6::backend::arj_writer
