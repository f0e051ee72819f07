#include "unlha32/update.h"

#include <map>
#include <memory>
#include <optional>

#include "common/file_system.h"
#include "common/pack_sources.h"
#include "common/progress.h"
#include "common/replacement_file.h"
#include "common/file_sink.h"
#include "formats/lha/lha_writer.h"
#include "formats/lha/names.h"
#include "unlha32/archive.h"
#include "unlha32/extract.h"
#include "unlha32/faults.h"
#include "unlha32/parallel_pack.h"

namespace quorvex6::unlha32 {

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

Entry NewEntry(const backend::SourceItem& item) {
    Entry e;
    e.name = item.stored;
    e.folder = item.stat.kind == backend::FileKind::kFolder;
    if (item.stat.kind == backend::FileKind::kLink) e.link_target = item.link_target;
    e.mtime = item.stat.mtime;
    e.unix_mode = static_cast<uint16_t>(item.stat.mode & 07777);
    if (e.folder && !e.name.empty() && e.name.back() != '/') e.name += '/';
    return e;
}

// One member of the archive being written: kept from the old archive or packed anew.
struct Planned {
    const Entry* old = nullptr;
    const backend::SourceItem* source = nullptr;
};

void Write(backend::ReplacementFile& replacement, Archive* old, const std::vector<Planned>& plan,
           const Options& options, backend::OutputLog& log, backend::ResultKeeper& keeper) {
    backend::FileOutput out(replacement.file());
    backend::lha::Writer writer(out, options.method);
    backend::Progress progress(options.progress);
    PackQueue packer(options.method);
    for (const Planned& p : plan) {
        if (p.source != nullptr) packer.Add(NewEntry(*p.source), p.source->disk_path);
    }
    packer.Start();
    uint64_t index = 0;
    for (const Planned& p : plan) {
        if (p.old != nullptr) {
            RunFormatWork(out, [&] { writer.CopyRaw(old->reader(), *p.old); });
            continue;
        }
        progress.Entry("packing", p.source->stored, ++index, plan.size());
        try {
            packer.WriteNext(out);
            log.Line("packed " + p.source->stored);
        } catch (const Failure& f) {
            if (f.code() == result::kDiskFull || f.code() == result::kWriteError) throw;
            log.Line(std::string("not packed: ") + f.what());
            keeper.Note(f.code());
        }
    }
    RunFormatWork(out, [&] { writer.Finish(); });
    if (!out.CutHere()) out.Rethrow();
    replacement.Commit();
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
    std::vector<Planned> plan;
    std::map<std::string, size_t> position;
    if (old) {
        for (const Entry& e : old->entries()) {
            position[e.name] = plan.size();
            plan.push_back({&e, nullptr});
        }
    }
    bool changed = !old;
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
        const std::string& name = entry.name;
        auto it = position.find(name);
        if (it == position.end()) {
            position[name] = plan.size();
            plan.push_back({nullptr, &item});
            changed = true;
            continue;
        }
        Planned& slot = plan[it->second];
        const Entry* stored = slot.old;
        bool newer = stored == nullptr || item.stat.mtime > stored->mtime;
        if (cmd.command == "a" || !options.check_time || newer) {
            slot = {nullptr, &item};
            changed = true;
        }
    }
    if (changed) Write(replacement, old.get(), plan, options, log, keeper);
    return keeper.code();
}

int32_t Delete(const backend::ParsedCommand& cmd, backend::OutputLog& log) {
    if (cmd.names.empty()) throw Failure(result::kNeedFileName, "d needs the names to delete");
    backend::ReplacementFile replacement(cmd.archive);  // before the archive is read
    auto archive = std::make_unique<Archive>(cmd.archive);
    RefuseDamaged(*archive, "not changed");
    backend::NameSelection selection(cmd.names, true);
    std::vector<const Entry*> doomed = Select(*archive, selection);
    std::vector<Planned> plan;
    for (const Entry& e : archive->entries()) {
        bool drop = false;
        for (const Entry* d : doomed) drop = drop || d == &e;
        if (drop) {
            log.Line("deleted " + e.name);
        } else {
            plan.push_back({&e, nullptr});
        }
    }
    backend::ResultKeeper keeper;
    if (!doomed.empty()) Write(replacement, archive.get(), plan, Options{}, log, keeper);
    return keeper.code();
}

}  // namespace quorvex6::unlha32
