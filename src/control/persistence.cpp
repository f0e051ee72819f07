// Saving and loading the design-time properties through the container's property bag. Loaded
// values go straight into the fields: no setter rules, no notification.
#include "control/module_state.h"
#include "control/persisted_properties.h"
#include "quorvex6/control.h"

namespace quorvex6 {

Variant DefaultOf(const PersistedProperty& p) {
    switch (p.type) {
        case Saved::String:
            return Variant(std::u16string());
        case Saved::Bool:
            return Variant(Boolean{p.numericDefault != 0});
        case Saved::I4:
        case Saved::I2:
            return Variant(static_cast<int16_t>(p.numericDefault));
    }
    return {};
}

bool SameValue(const Variant& a, const Variant& b) {
    const bool aText = a.type() == VarType::String;
    const bool bText = b.type() == VarType::String;
    if (aText || bText) return aText == bText && a.str() == b.str();
    if (a.is_empty() || b.is_empty()) return a.is_empty() == b.is_empty();
    return a.ToI4() == b.ToI4();
}

namespace {

Variant ValueOf(const ControlState& s, const PersistedProperty& p) {
    switch (p.type) {
        case Saved::String:
            return Variant(s.*p.str);
        case Saved::Bool:
            return Variant(Boolean::Stored(s.*p.i2));
        case Saved::I4:
            return Variant(s.*p.i4);
        case Saved::I2:
            return Variant(s.*p.i2);
    }
    return {};
}

void Store(ControlState& s, const PersistedProperty& p, const Variant& value) {
    switch (p.type) {
        case Saved::String:
            s.*p.str = value.ToStr();
            break;
        case Saved::Bool:
            s.*p.i2 = value.ToBoolean();
            break;
        case Saved::I4:
            s.*p.i4 = value.ToI4();
            break;
        case Saved::I2:
            s.*p.i2 = value.ToI2();
            break;
    }
}

}  // namespace

void Quorvex6::Load(PropertyBag& bag) {
    for (const uint8_t index : kLoadOrder) {
        const PersistedProperty& property = kPersisted[index];
        // A conversion or bag failure propagates: keys read before keep their loaded values.
        Store(*state_, property, bag.Read(std::u16string(property.key), DefaultOf(property)));
        if (property.i4 == &ControlState::ArcMode) Module().CurrentArcMode = state_->ArcMode;
    }
}

void Quorvex6::Save(PropertyBag& bag) const {
    for (const PersistedProperty& property : kPersisted) {
        bag.Write(std::u16string(property.key), ValueOf(*state_, property), DefaultOf(property));
    }
}

}  // namespace quorvex6
