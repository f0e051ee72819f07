// The enumerations the type library publishes; each value's help string is its own name.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "quorvex6/enums.h"

namespace quorvex6 {

struct EnumValue {
    std::u16string_view name;
    int32_t value;
};

struct Enumeration {
    std::u16string_view name;
    std::span<const EnumValue> values;
};

inline constexpr EnumValue kArcModeValues[] = {{u"LHA_", LHA_}, {u"ZIP_", ZIP_}, {u"CAB_", CAB_},
                                               {u"ARJ_", ARJ_}, {u"ISH_", ISH_}, {u"TAR_", TAR_},
                                               {u"RAR_", RAR_}};
inline constexpr EnumValue kTypeOfArcValues[] = {
    {u"Lh0", Lh0}, {u"Lh1", Lh1}, {u"Lh5", Lh5}, {u"Lh6", Lh6}, {u"Lh7", Lh7}};
inline constexpr EnumValue kSfxTypeValues[] = {{u"DOS_SFX_Large", DOS_SFX_Large},
                                               {u"DOS_SFX_Small", DOS_SFX_Small},
                                               {u"WinSFX", WinSFX},
                                               {u"WinSFXM", WinSFXM},
                                               {u"WinSFX32", WinSFX32},
                                               {u"WinSFX32M", WinSFX32M}};
inline constexpr EnumValue kTypeOfCabValues[] = {
    {u"MSZIP", MSZIP}, {u"LZX", LZX}, {u"QUANTUM", QUANTUM}, {u"NOCOMPRESS", NOCOMPRESS}};
inline constexpr EnumValue kTypeOfIshValues[] = {{u"JIS8", JIS8},
                                                 {u"Shift_JIS", Shift_JIS},
                                                 {u"JIS7", JIS7},
                                                 {u"Shift_JIS_non_kana", Shift_JIS_non_kana}};
inline constexpr EnumValue kTypeOfIshOSValues[] = {{u"MS_DOS", MS_DOS}, {u"UNIX", UNIX},
                                                   {u"CP_M", CP_M},     {u"OS_9", OS_9},
                                                   {u"Other", Other},   {u"All_OS", All_OS}};

inline constexpr std::array<Enumeration, 6> kEnumerations = {{
    {u"enmArcMode", kArcModeValues},
    {u"enmTypeOfArc", kTypeOfArcValues},
    {u"enmSfxType", kSfxTypeValues},
    {u"enmTypeOfCab", kTypeOfCabValues},
    {u"enmTypeOfIsh", kTypeOfIshValues},
    {u"enmTypeOfIshOS", kTypeOfIshOSValues},
}};

}  // namespace quorvex6
