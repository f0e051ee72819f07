// The persisted design-time properties: key, saved type, default and field, in saving order,
// and the order in which loading reads them.
#pragma once
#include <array>
#include <cstdint>
#include <string_view>

#include "control/state.h"
#include "quorvex6/variant.h"

namespace quorvex6 {

enum class Saved : uint8_t { I4, I2, Bool, String };

struct PersistedProperty {
    std::u16string_view key;
    Saved type;
    int32_t numericDefault;  // for numbers and booleans (True is -1); strings default to ""
    int32_t ControlState::*i4 = nullptr;
    int16_t ControlState::*i2 = nullptr;  // 16-bit numbers and booleans
    std::u16string ControlState::*str = nullptr;
};

using S = ControlState;
inline constexpr std::array<PersistedProperty, 25> kPersisted = {{
    {u"ArcMode", Saved::I4, 0, &S::ArcMode},
    {u"pArcFileName", Saved::String, 0, nullptr, nullptr, &S::pArcFileName},
    {u"pBaseFolder", Saved::String, 0, nullptr, nullptr, &S::pBaseFolder},
    {u"pTypeOfArc", Saved::I4, 2, &S::pTypeOfArc},
    {u"pTypeOfCab", Saved::I4, 0, &S::pTypeOfCab},
    {u"pTypeOfIsh", Saved::I4, 1, &S::pTypeOfIsh},
    {u"eArcFileName", Saved::String, 0, nullptr, nullptr, &S::eArcFileName},
    {u"eFolder", Saved::String, 0, nullptr, nullptr, &S::eFolder},
    {u"swUnderFolder", Saved::Bool, -1, nullptr, &S::swUnderFolder},
    {u"swDialog", Saved::Bool, -1, nullptr, &S::swDialog},
    {u"swGaugeProgress", Saved::Bool, 0, nullptr, &S::swGaugeProgress},
    {u"swFolderName", Saved::Bool, -1, nullptr, &S::swFolderName},
    {u"swAttribute", Saved::Bool, -1, nullptr, &S::swAttribute},
    {u"swCheckTimeStamp", Saved::Bool, -1, nullptr, &S::swCheckTimeStamp},
    {u"swDiskSpace", Saved::Bool, -1, nullptr, &S::swDiskSpace},
    {u"swCommand", Saved::String, 0, nullptr, nullptr, &S::swCommand},
    {u"sfxArcFileName", Saved::String, 0, nullptr, nullptr, &S::sfxArcFileName},
    {u"sfxFolder", Saved::String, 0, nullptr, nullptr, &S::sfxFolder},
    {u"sfxType", Saved::I4, 2, &S::sfxType},
    {u"sfxCommand", Saved::String, 0, nullptr, nullptr, &S::sfxCommand},
    {u"oBaseFolder", Saved::String, 0, nullptr, nullptr, &S::oBaseFolder},
    {u"oArcFileName", Saved::String, 0, nullptr, nullptr, &S::oArcFileName},
    {u"cabMultiVolume", Saved::I4, 0, &S::cabMultiVolume},
    {u"LevelLZX", Saved::I2, 15, nullptr, &S::LevelLZX},
    {u"LevelQUANTUM", Saved::I2, 1, nullptr, &S::LevelQUANTUM},
}};

// Loading reads the same keys in its own order (indices into kPersisted).
inline constexpr std::array<uint8_t, 25> kLoadOrder = {
    0, 1, 3, 4, 5, 2, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24};

// The default handed to the bag: numbers as 16-bit integers, booleans as booleans.
Variant DefaultOf(const PersistedProperty& property);

// Whether two bag values are equal as values, whatever their integer widths.
bool SameValue(const Variant& a, const Variant& b);

}  // namespace quorvex6
