// The keyed store of typed values in which a container keeps a control's design-time settings.
#pragma once
#include <string>

#include "quorvex6/export.h"
#include "quorvex6/variant.h"

namespace quorvex6 {

class QUORVEX6_API PropertyBag {
  public:
    virtual ~PropertyBag() = default;
    // The stored value for key, or def when the key is absent.
    virtual Variant Read(const std::u16string& key, const Variant& def) = 0;
    // Stores value under key; a value equal to def is not stored (a later read gives def).
    virtual void Write(const std::u16string& key, const Variant& value, const Variant& def) = 0;
};

}  // namespace quorvex6
