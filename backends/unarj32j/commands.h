// What unarj32j's command does with an opened archive: extract, test.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/output_log.h"
#include "unarj32j/archive.h"
#include "unarj32j/options.h"

namespace quorvex6::backend::unarj32j {

// Entries selected by `names` (all when empty) into `folder`; the first failure's code.
int32_t Extract(const Archive& archive, const std::vector<std::string>& names,
                const std::string& folder, const Options& options, OutputLog& log);

// Decodes the selected entries without writing them; garbled ones fail with 0x800A.
int32_t Test(const Archive& archive, const std::vector<std::string>& names, OutputLog& log);

}  // namespace quorvex6::backend::unarj32j
