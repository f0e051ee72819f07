// Commands that write an archive: u (add what is new or newer), a (add, replacing), d (delete).
// The new archive is written beside the old one and renamed over it only when complete.
#pragma once
#include <string>
#include <vector>

#include "common/command_line.h"
#include "common/output_log.h"
#include "unlha32/options.h"

namespace quorvex6::backend::unlha32 {

int32_t Update(const backend::ParsedCommand& cmd, const Options& options, backend::OutputLog& log);
int32_t Delete(const backend::ParsedCommand& cmd, backend::OutputLog& log);

}  // namespace quorvex6::backend::unlha32
