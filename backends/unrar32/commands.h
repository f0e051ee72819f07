// What unrar32's command does with an opened archive: extract, test.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/output_log.h"
#include "unrar32/archive.h"
#include "unrar32/options.h"

namespace quorvex6::backend::unrar32 {

// Entries selected by `names` (all when empty) into `folder`; the first failure's code.
int32_t Extract(const Archive& archive, const std::vector<std::string>& names,
                const std::string& folder, const Options& options, OutputLog& log);

// Decodes the selected entries' data without writing it, checking every CRC-32 and BLAKE2sp;
// encrypted ones fail with 0x800A, compressed ones with 0x8009.
int32_t Test(const Archive& archive, const std::vector<std::string>& names, OutputLog& log);

}  // namespace quorvex6::backend::unrar32
