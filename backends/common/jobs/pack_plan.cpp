#include "common/jobs/pack_plan.h"

#include <bit>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvex6::backend::jobs {

namespace {

// Plan entries by name, in one allocation: a node per name cost more than the rest of a plan.
class NameTable {
  public:
    explicit NameTable(size_t names) : slots_(std::bit_ceil(2 * names + 2)) {}

    // The entry first recorded under `name`, and whether that is `entry`, recorded now.
    std::pair<size_t, bool> Emplace(std::string_view name, size_t entry) {
        const size_t mask = slots_.size() - 1;
        for (size_t i = std::hash<std::string_view>()(name) & mask;; i = (i + 1) & mask) {
            Slot& slot = slots_[i];
            if (slot.entry == kNoOldEntry) {
                slot = {name, entry};
                return {entry, true};
            }
            if (slot.name == name) return {slot.entry, false};
        }
    }

  private:
    struct Slot {
        std::string_view name;
        size_t entry = kNoOldEntry;
    };
    std::vector<Slot> slots_;
};

}  // namespace

Plan PlanUpdate(const std::vector<OldEntry>& old, const std::vector<NewItem>& items,
                const PlanRules& rules) {
    Plan plan;
    // Names by view: the entries and items outlive the plan's making.
    NameTable slot_of(old.size() + items.size());
    plan.entries.reserve(old.size() + items.size());
    for (size_t i = 0; i < old.size(); ++i) {
        slot_of.Emplace(old[i].name, plan.entries.size());
        plan.entries.push_back({i, nullptr});
    }
    std::vector<bool> claimed(plan.entries.size(), false);
    for (const NewItem& item : items) {
        auto [slot, fresh] = slot_of.Emplace(item.name, plan.entries.size());
        if (fresh) {
            plan.entries.push_back({kNoOldEntry, item.source});
            claimed.push_back(true);
            plan.changes = true;
            continue;
        }
        if (claimed[slot]) continue;
        claimed[slot] = true;
        PlannedEntry& planned = plan.entries[slot];
        bool newer = item.source->stat.mtime > old[planned.old].mtime + rules.time_slack;
        if (rules.only_newer && !newer) {
            plan.kept_not_newer.emplace_back(item.name);
            continue;
        }
        planned = {kNoOldEntry, item.source};
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
