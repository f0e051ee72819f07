// How a command reports what an archive's reader found after its entries, and the outcome of
// testing one entry, the same for every library that keeps reading past damage.
#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "common/output_log.h"
#include "common/result.h"
#include "io/fault.h"

namespace quorvex6::backend {

// Damage after the last entry read: whatever came before it was still worked on; a log line,
// and its code noted.
void NoteArchiveDamage(const std::optional<io::Error>& damage, std::size_t entries, OutputLog& log,
                       ResultKeeper& keeper);

// One entry decoded without being written: "ok     NAME", or "error  NAME: why" and its code
// noted. A read error of the archive file ends the test (thrown, with `archive` before it).
void TestEntry(const std::string& name, const std::function<void()>& decode,
               const std::string& archive, OutputLog& log, ResultKeeper& keeper);

}  // namespace quorvex6::backend
