// Writes a TAR archive (pax where ustar cannot hold a name, ustar elsewhere) through
// libarchive, compressed as the archive's name says, into a new file renamed over the old
// one when complete. gzip goes through our two-thread codec; bzip2, xz and zstd through
// libarchive's filters.
#pragma once
#include <string>
#include <vector>

#include "common/output_log.h"
#include "common/pack_sources.h"
#include "common/progress.h"
#include "common/result.h"

namespace quorvex6::backend::tar {

void PackTar(const std::string& archive, const std::vector<SourceItem>& sources, OutputLog& log, ResultKeeper& result,
             Progress& progress);

}  // namespace quorvex6::backend::tar
