// Testing a cabinet: every file decoded and every block's checksum checked, nothing written.
#pragma once
#include <cstdint>

#include "common/output_log.h"
#include "formats/cab/cab_reader.h"

namespace quorvex6::backend::cab32 {

// The first failure's code, 0 when every file checks out.
int32_t TestEntries(const cab::CabReader& reader, OutputLog& log);

}  // namespace quorvex6::backend::cab32
