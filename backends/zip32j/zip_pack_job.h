// Packing into a ZIP archive: new or replaced entries from disk, the rest of an existing
// archive copied unchanged, all into a new file renamed over the old one when complete, by the
// shared pack job (common/jobs) through ZipPackWriter.
#pragma once
#include <string>
#include <vector>

#include "common/output_log.h"
#include "common/pack_sources.h"
#include "common/progress.h"
#include "common/result.h"

namespace quorvex6::backend::zip32j {

struct PackOptions {
    int level = 6;             // 0 stores everything
    bool update_only = false;  // replace stored entries only by newer files
};

void PackZip(const std::string& archive, const std::vector<SourceItem>& sources,
             const PackOptions& options, OutputLog& log, ResultKeeper& result, Progress& progress);

}  // namespace quorvex6::backend::zip32j
