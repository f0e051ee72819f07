#include "quorvex6/memory_property_bag.h"

#include <algorithm>

#include "control/persisted_properties.h"

namespace quorvex6 {

Variant MemoryPropertyBag::Read(const std::u16string& key, const Variant& def) {
    const Variant* stored = Find(key);
    return stored != nullptr ? *stored : def;
}

void MemoryPropertyBag::Write(const std::u16string& key, const Variant& value, const Variant& def) {
    if (SameValue(value, def)) {
        // An earlier value must not outlive the default: the next read has to give def.
        std::erase_if(entries_, [&key](const auto& entry) { return entry.first == key; });
        return;
    }
    Store(key, value);
}

const Variant* MemoryPropertyBag::Find(std::u16string_view key) const {
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [key](const auto& entry) { return entry.first == key; });
    return found != entries_.end() ? &found->second : nullptr;
}

void MemoryPropertyBag::Store(const std::u16string& key, Variant value) {
    for (auto& entry : entries_) {
        if (entry.first == key) {
            entry.second = std::move(value);
            return;
        }
    }
    entries_.emplace_back(key, std::move(value));
}

}  // namespace quorvex6
