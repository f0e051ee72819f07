// tar32's packing: the pack sources through the shared pack job (common/jobs) and the TAR
// writer (formats/tar), compressed as the archive's name says, into a new file renamed over the
// old one when complete.
#pragma once
#include <string>
#include <vector>

#include "common/output_log.h"
#include "common/pack_sources.h"
#include "common/progress.h"
#include "common/result.h"

namespace quorvex6::backend::tar32 {

void PackTar(const std::string& archive, const std::vector<SourceItem>& sources, OutputLog& log,
             ResultKeeper& result, Progress& progress);

}  // namespace quorvex6::backend::tar32
