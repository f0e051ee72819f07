// Commands that read members: e/x (extract), t (test), l (list).
#pragma once
#include <string>
#include <vector>

#include "common/name_selection.h"
#include "common/output_log.h"
#include "unlha32/archive.h"
#include "unlha32/options.h"

namespace quorvex6::backend::unlha32 {

// Logs and notes damage found around the members: before the first, or after the last read.
void NoteDamage(const Archive& archive, backend::OutputLog& log, backend::ResultKeeper& keeper);

// Members the names select, in stored order.
std::vector<const backend::lha::Entry*> Select(const Archive& archive,
                                               backend::NameSelection& names);

int32_t Extract(Archive& archive, const std::vector<std::string>& names, const std::string& folder,
                const Options& options, backend::OutputLog& log);
// Decodes every selected member and checks its CRC; 0 when all are sound.
int32_t Test(Archive& archive, const std::vector<std::string>& names, backend::OutputLog& log);
// The table, then any damage; the code of that damage.
int32_t List(const Archive& archive, const std::vector<std::string>& names,
             backend::OutputLog& log);

}  // namespace quorvex6::backend::unlha32
