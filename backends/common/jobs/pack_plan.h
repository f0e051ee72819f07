// What goes into the new archive, in order: each entry of the old archive kept or replaced
// where it stood, deleted, and the new items added behind them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "common/jobs/pack_format.h"
#include "common/pack_sources.h"

namespace quorvex6::backend::jobs {

inline constexpr size_t kNoOldEntry = std::numeric_limits<size_t>::max();

// A source item under the name it gets in the archive; the name outlives the plan's making.
struct NewItem {
    std::string_view name;
    const SourceItem* source = nullptr;
};

struct PlannedEntry {
    size_t old = kNoOldEntry;            // kept from the old archive
    const SourceItem* source = nullptr;  // else packed from disk
};

struct PlanRules {
    bool only_newer = false;  // replace a stored entry only by a newer file
    // Stored times may be coarse: a file is newer only when later by more than this.
    int64_t time_slack = 0;
};

struct Plan {
    std::vector<PlannedEntry> entries;
    std::vector<std::string> kept_not_newer;
    std::vector<std::string> deleted;
    bool changes = false;  // the new archive would differ from the old one
};

// The first item of a name counts; later ones are left out.
Plan PlanUpdate(const std::vector<OldEntry>& old, const std::vector<NewItem>& items,
                const PlanRules& rules);
// Every old entry but those marked in `doomed` (one flag per entry).
Plan PlanDeletion(const std::vector<OldEntry>& old, const std::vector<bool>& doomed);

}  // namespace quorvex6::backend::jobs
