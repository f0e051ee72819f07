// The four ISH text variants and the shape of their lines.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quorvex6::backend::codecs::ish {

enum class Variant : std::uint8_t { kJis7, kJis8, kShiftJis, kNonKana };

inline constexpr std::array kVariants = {Variant::kJis7, Variant::kJis8, Variant::kShiftJis,
                                         Variant::kNonKana};

// The longest record of any variant (Shift_JIS) and the longest line of text.
inline constexpr std::size_t kMaxRecord = 73;
inline constexpr std::size_t kMaxText = 79;

struct Layout {
    std::size_t record;       // bytes of a data line's record: number, payload, CRC
    std::size_t text;         // characters of every line of this variant
    std::uint8_t type_code;   // header byte 11
    std::uint8_t group_bits;  // header byte 10
    Variant header;           // how the header lines are written: JIS7 or JIS8 text
    std::string_view name;    // as the first line names it

    // Line numbers within a block: data 1..payload(), then vertical(), then diagonal().
    // vertical() is prime for every variant, which the two-line repair relies on.
    std::size_t payload() const { return record - 3; }
    std::size_t vertical() const { return record - 2; }
    std::size_t diagonal() const { return record; }
};

const Layout& LayoutOf(Variant v);
std::optional<Variant> VariantFromCode(std::uint8_t type_code);

}  // namespace quorvex6::backend::codecs::ish
