// The enumerations the type library publishes; each value's help string is its own name.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace quorvex6 {

struct EnumValue {
    std::u16string_view name;
    int32_t value;
};

struct Enumeration {
    std::u16string_view name;
    std::span<const EnumValue> values;
};

inline constexpr EnumValue kArcModeValues[] = {{u"LHA_", 0}, {u"ZIP_", 1}, {u"CAB_", 2}, {u"ARJ_", 3},
                                               {u"ISH_", 4}, {u"TAR_", 5}, {u"RAR_", 6}};
inline constexpr EnumValue kTypeOfArcValues[] = {
    {u"Lh0", 0}, {u"Lh1", 1}, {u"Lh5", 2}, {u"Lh6", 3}, {u"Lh7", 4}};
inline constexpr EnumValue kSfxTypeValues[] = {{u"DOS_SFX_Large", 0}, {u"DOS_SFX_Small", 1},
                                               {u"WinSFX", 2},        {u"WinSFXM", 3},
                                               {u"WinSFX32", 4},      {u"WinSFX32M", 5}};
inline constexpr EnumValue kTypeOfCabValues[] = {
    {u"MSZIP", 0}, {u"LZX", 1}, {u"QUANTUM", 2}, {u"NOCOMPRESS", 3}};
inline constexpr EnumValue kTypeOfIshValues[] = {
    {u"JIS8", 0}, {u"Shift_JIS", 1}, {u"JIS7", 2}, {u"Shift_JIS_non_kana", 3}};
inline constexpr EnumValue kTypeOfIshOSValues[] = {{u"MS_DOS", 0}, {u"UNIX", 1}, {u"CP_M", 2},
                                                   {u"OS_9", 3},   {u"Other", 4}, {u"All_OS", 5}};

inline constexpr std::array<Enumeration, 6> kEnumerations = {{
    {u"enmArcMode", kArcModeValues},
    {u"enmTypeOfArc", kTypeOfArcValues},
    {u"enmSfxType", kSfxTypeValues},
    {u"enmTypeOfCab", kTypeOfCabValues},
    {u"enmTypeOfIsh", kTypeOfIshValues},
    {u"enmTypeOfIshOS", kTypeOfIshOSValues},
}};

}  // namespace quorvex6
