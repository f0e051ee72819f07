// The character sets of the ISH variants, in index order, and their inverses.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace quorvex6::backend::codecs::ish {

template <std::size_t N>
struct Alphabet {
    std::array<std::uint8_t, N> chars{};
    std::array<std::int16_t, 256> index{};  // -1 for a character outside the set
};

namespace detail {

struct Range {
    unsigned first, last;  // characters, inclusive
};

template <std::size_t N>
constexpr Alphabet<N> from_ranges(std::initializer_list<Range> ranges) {
    Alphabet<N> a;
    std::size_t n = 0;
    for (Range r : ranges) {
        for (unsigned c = r.first; c <= r.last; ++c) a.chars[n++] = static_cast<std::uint8_t>(c);
    }
    a.index.fill(-1);
    for (std::size_t i = 0; i < N; ++i) a.index[a.chars[i]] = static_cast<std::int16_t>(i);
    return a;
}

}  // namespace detail

// 0x21..0x7E without '#', '.' and '`': the JIS7 set, and the plain half of the non-kana set.
inline constexpr Alphabet<91> kA91 =
    detail::from_ranges<91>({{0x21, 0x22}, {0x24, 0x2D}, {0x2F, 0x5F}, {0x61, 0x7E}});

// JIS8 (also the first character of a Shift_JIS line). Index order is not character order
// (0x3F comes before 0x2F).
inline constexpr Alphabet<128> kA128 = detail::from_ranges<128>(
    {{0x23, 0x23}, {0x25, 0x27}, {0x29, 0x29}, {0x2B, 0x2C}, {0x3F, 0x3F}, {0x2F, 0x2F},
     {0x32, 0x32}, {0x34, 0x3E}, {0x41, 0x49}, {0x4B, 0x4C}, {0x4E, 0x4F}, {0x52, 0x52},
     {0x54, 0x5E}, {0x61, 0x6E}, {0x70, 0x76}, {0x78, 0x7A}, {0x7C, 0x7C}, {0xA1, 0xAC},
     {0xAE, 0xB2}, {0xB4, 0xBE}, {0xC0, 0xCC}, {0xCE, 0xD2}, {0xD4, 0xDE}});

// Shift_JIS: single or lead characters, and trail characters.
inline constexpr Alphabet<182> kSj1 = detail::from_ranges<182>({{0x40, 0x5F},
                                                                {0x61, 0x7E},
                                                                {0x27, 0x2F},
                                                                {0x89, 0x97},
                                                                {0x30, 0x30},
                                                                {0x99, 0x9F},
                                                                {0xA1, 0xE9},
                                                                {0x31, 0x3F}});
inline constexpr Alphabet<182> kSj2 =
    detail::from_ranges<182>({{0x40, 0x5F}, {0x61, 0x7E}, {0x80, 0x9F}, {0xA1, 0xF8}});

// Non-kana: kA91 followed by the 32 lead characters it uses.
inline constexpr Alphabet<123> kA123 = detail::from_ranges<123>({{0x21, 0x22},
                                                                 {0x24, 0x2D},
                                                                 {0x2F, 0x5F},
                                                                 {0x61, 0x7E},
                                                                 {0x89, 0x97},
                                                                 {0x99, 0x9F},
                                                                 {0xE0, 0xE9}});
inline constexpr Alphabet<32> kLeads =
    detail::from_ranges<32>({{0x89, 0x97}, {0x99, 0x9F}, {0xE0, 0xE9}});

// A Shift_JIS lead byte, as both sides of the encoding test it.
constexpr bool is_lead(std::uint8_t c) {
    return (c >= 0x80 && c <= 0x9F) || (c >= 0xE0 && c <= 0xE9);
}

}  // namespace quorvex6::backend::codecs::ish
