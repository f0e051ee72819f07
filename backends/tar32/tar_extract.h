// tar32's extraction and test over a TarReader.
#pragma once
#include <string>
#include <vector>

#include "common/extract_target.h"
#include "common/name_selection.h"
#include "common/output_log.h"
#include "common/progress.h"
#include "common/result.h"
#include "formats/tar/tar_reader.h"

namespace quorvex6::backend::tar32 {

void ExtractEntries(tar::TarReader& reader, NameSelection& names, ExtractTarget& target,
                    OutputLog& log, Progress& progress);

}  // namespace quorvex6::backend::tar32
