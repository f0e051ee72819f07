#include "zip32j/zip_pack_job.h"

#include <memory>
#include <optional>

#include "common/archive_input.h"
#include "common/jobs/pack_job.h"
#include "common/jobs/pack_plan.h"
#include "common/replacement_file.h"
#include "formats/zip/zip_reader.h"
#include "zip32j/zip_pack_writer.h"

namespace quorvex6::backend::zip32j {

void PackZip(const std::string& archive, const std::vector<SourceItem>& sources,
             const PackOptions& options, OutputLog& log, ResultKeeper& result, Progress& progress) {
    ReplacementFile target(archive);  // before the old archive is read
    std::optional<zip::ZipReader> old;
    auto existing = StatPath(archive);
    if (existing && existing->kind == FileKind::kRegular)
        old.emplace(std::make_unique<ArchiveInput>(archive));

    std::vector<jobs::NewItem> items;
    items.reserve(sources.size());
    for (const SourceItem& item : sources) {
        // Never pack the archive into itself.
        if (existing && item.stat.device == existing->device && item.stat.inode == existing->inode)
            continue;
        items.push_back({item.stored, &item});
    }
    jobs::PlanRules rules;
    rules.only_newer = options.update_only;
    rules.time_slack = 1;  // DOS times have two-second steps
    const zip::ZipReader* reader = old ? &*old : nullptr;
    jobs::Plan plan = jobs::PlanUpdate(ZipOldArchive(reader).Entries(), items, rules);
    if (plan.entries.empty()) throw Failure(result::kFileNotFound, "nothing to pack");
    ZipPackWriter writer(target.file(), reader, options.level);
    jobs::RunPack(target, writer, plan, jobs::PackWording{}, log, result, progress);
}

}  // namespace quorvex6::backend::zip32j
