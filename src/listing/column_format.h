// How the listers write numbers, dates and times into the text columns of a listing entry.
// Separators default to the user's locale; tests pass their own.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/locale_numbers.h"

namespace quorvex6::listing {

// "#,###": digits grouped by threes, a leading "-" when negative, "" for 0.
std::u16string FormatSize(int64_t value,
                          const platform::NumberSeparators& = platform::UserNumberSeparators());

// The same for a decimal digit string of any length (leading zeros allowed).
std::u16string FormatDigits(std::u16string_view digits, bool negative,
                            const platform::NumberSeparators& = platform::UserNumberSeparators());

// Tenths of a percent as "0.0" followed by "%".
std::u16string FormatRatio(int16_t perMille,
                           const platform::NumberSeparators& = platform::UserNumberSeparators());

// MS-DOS packed date as "yy/mm/dd": the year is (bits 15-9) + 80 cut to two digits.
std::u16string FormatDosDate(uint16_t date);

// MS-DOS packed time as "hh:mm:ss", the seconds doubled.
std::u16string FormatDosTime(uint16_t time);

// The low 16 bits as four upper-case hexadecimal digits.
std::u16string FormatCrc(uint32_t crc);

// The first four characters, lower-cased (the letters of the common European scripts and the
// full-width Latin ones; a library may hand any of them).
std::u16string FormatAttributes(std::u16string_view text);

// The first five characters, unchanged.
std::u16string FormatMethod(std::u16string_view text);

}  // namespace quorvex6::listing
