// Making a cabinet through the shared pack job: each file's data is a folder of its own, so
// that workers encode files side by side; the header is written last, into the room kept for
// it at the start.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "codecs/mszip/mszip.h"
#include "common/output_log.h"
#include "common/pack_sources.h"
#include "common/progress.h"
#include "common/result.h"

namespace quorvex6::backend::cab32 {

struct PackOptions {
    std::uint16_t type = 0;                                         // typeCompress
    int level = ::quorvex6::backend::codecs::mszip::kDefaultLevel;  // as BlockEncoder takes it
    std::uint64_t volume_limit = 0;  // bytes of each cabinet of a set; 0: one cabinet
};

// A new cabinet of `sources` (files; folders and links are not stored) at `archive`, put in
// place of an old one only when complete; with a volume limit, a set of them.
void PackCabinet(const std::string& archive, const std::vector<SourceItem>& sources,
                 const PackOptions& options, OutputLog& log, ResultKeeper& result,
                 Progress& progress);

}  // namespace quorvex6::backend::cab32
