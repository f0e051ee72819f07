// A property bag held in memory: for hosts that keep a control's settings themselves, and for
// handing saved state from one control to another.
#pragma once
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "quorvex6/export.h"
#include "quorvex6/property_bag.h"

namespace quorvex6 {

class QUORVEX6_API MemoryPropertyBag : public PropertyBag {
  public:
    Variant Read(const std::u16string& key, const Variant& def) override;
    // A value equal to def (as values: 0 as a 16-bit or a 32-bit integer alike, False and 0
    // alike) removes the key instead, so that a later read gives def.
    void Write(const std::u16string& key, const Variant& value, const Variant& def) override;

    // What is stored under key, or nullptr.
    const Variant* Find(std::u16string_view key) const;
    // Stores value under key whatever it is, as a container restoring saved state does.
    void Store(const std::u16string& key, Variant value);

    // The stored keys in the order in which each was first stored.
    const std::vector<std::pair<std::u16string, Variant>>& entries() const { return entries_; }

  private:
    std::vector<std::pair<std::u16string, Variant>> entries_;
};

}  // namespace quorvex6
