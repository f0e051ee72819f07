// The enumerations of the type library. Fields hold plain 32-bit values: no property checks
// that a value belongs to its enumeration.
#pragma once
#include <cstdint>

namespace quorvex6 {

enum enmArcMode : int32_t { LHA_ = 0, ZIP_ = 1, CAB_ = 2, ARJ_ = 3, ISH_ = 4, TAR_ = 5, RAR_ = 6 };
enum enmTypeOfArc : int32_t { Lh0 = 0, Lh1 = 1, Lh5 = 2, Lh6 = 3, Lh7 = 4 };
enum enmSfxType : int32_t {
    DOS_SFX_Large = 0,
    DOS_SFX_Small = 1,
    WinSFX = 2,
    WinSFXM = 3,
    WinSFX32 = 4,
    WinSFX32M = 5
};
enum enmTypeOfCab : int32_t { MSZIP = 0, LZX = 1, QUANTUM = 2, NOCOMPRESS = 3 };
enum enmTypeOfIsh : int32_t { JIS8 = 0, Shift_JIS = 1, JIS7 = 2, Shift_JIS_non_kana = 3 };
enum enmTypeOfIshOS : int32_t { MS_DOS = 0, UNIX = 1, CP_M = 2, OS_9 = 3, Other = 4, All_OS = 5 };

// Booleans on the interface are 16-bit: True is -1, False 0, stored as the host passes them.
inline constexpr int16_t kTrue = -1;
inline constexpr int16_t kFalse = 0;

}  // namespace quorvex6
