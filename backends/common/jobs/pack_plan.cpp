#include "common/jobs/pack_plan.h"

#include <string_view>
#include <unordered_map>

namespace quorvex6::backend::jobs {

Plan PlanUpdate(const std::vector<OldEntry>& old, const std::vector<NewItem>& items,
                const PlanRules& rules) {
    Plan plan;
    // Names by view: the entries and items outlive the plan's making.
    std::unordered_map<std::string_view, size_t> slot_of;
    slot_of.reserve(old.size() + items.size());
    plan.entries.reserve(old.size() + items.size());
    for (size_t i = 0; i < old.size(); ++i) {
        slot_of.emplace(old[i].name, plan.entries.size());
        plan.entries.push_back({i, nullptr});
    }
    std::vector<bool> claimed(plan.entries.size(), false);
    for (const NewItem& item : items) {
        auto [it, fresh] = slot_of.emplace(item.name, plan.entries.size());
        if (fresh) {
            plan.entries.push_back({kNoOldEntry, item.source});
            claimed.push_back(true);
            plan.changes = true;
            continue;
        }
        if (claimed[it->second]) continue;
        claimed[it->second] = true;
        PlannedEntry& slot = plan.entries[it->second];
        bool newer = item.source->stat.mtime > old[slot.old].mtime + rules.time_slack;
        if (rules.only_newer && !newer) {
            plan.kept_not_newer.push_back(item.name);
            continue;
        }
        slot = {kNoOldEntry, item.source};
        plan.changes = true;
    }
    return plan;
}

Plan PlanDeletion(const std::vector<OldEntry>& old, const std::vector<bool>& doomed) {
    Plan plan;
    for (size_t i = 0; i < old.size(); ++i) {
        if (doomed[i]) {
            plan.deleted.push_back(old[i].name);
            plan.changes = true;
        } else {
            plan.entries.push_back({i, nullptr});
        }
    }
    return plan;
}

}  // namespace quorvex6::backend::jobs
