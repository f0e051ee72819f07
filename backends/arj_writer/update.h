// arj's `u` (and `a`): packs the named files into a new archive, keeping the old archive's
// entries that are not replaced, and puts it in place of the old one only when complete.
#pragma once
#include "arj_writer/arguments.h"
#include "common/output_log.h"

namespace quorvex6::backend::arj_writer {

// Returns the exit code. Throws Failure when the archive cannot be written or read (logged by
// the caller), io::Error from the old archive's reader.
int Update(const Arguments& args, OutputLog& log);

}  // namespace quorvex6::backend::arj_writer
