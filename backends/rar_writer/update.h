// rar's `a` and `u`: packs the named files into a new archive, keeping the old archive's
// entries that are not replaced, and puts it in place of the old one only when complete.
#pragma once
#include "common/output_log.h"
#include "rar_writer/arguments.h"

namespace quorvex6::backend::rar_writer {

// Returns the exit code. Throws Failure when the archive cannot be written or read (logged by
// the caller), io::Error from the old archive's reader.
int Update(const Arguments& args, OutputLog& log);

}  // namespace quorvex6::backend::rar_writer
