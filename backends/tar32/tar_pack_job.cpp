#include "tar32/tar_pack_job.h"

#include "common/file_system.h"
#include "common/jobs/pack_job.h"
#include "common/jobs/pack_plan.h"
#include "common/replacement_file.h"
#include "formats/tar/tar_compression.h"
#include "io/fault.h"
#include "tar32/tar_pack_writer.h"

namespace quorvex6::backend::tar32 {

void PackTar(const std::string& archive_path, const std::vector<SourceItem>& sources,
             OutputLog& log, ResultKeeper& result, Progress& progress) {
    if (sources.empty()) throw Failure(result::kFileNotFound, "nothing to pack");
    auto existing = StatPath(archive_path);
    ReplacementFile target(archive_path);
    std::vector<jobs::NewItem> items;
    items.reserve(sources.size());
    for (const SourceItem& item : sources) {
        if (!existing || item.stat.device != existing->device || item.stat.inode != existing->inode)
            items.push_back({item.stored, &item});
    }
    // Always written anew: nothing of an old archive is kept.
    jobs::Plan plan = jobs::PlanUpdate({}, items, {});
    TarPackWriter writer(target.file(), tar::CompressionForName(archive_path).compression);
    jobs::RunPack(target, writer, plan, jobs::PackWording{}, log, result, progress);
}

}  // namespace quorvex6::backend::tar32
