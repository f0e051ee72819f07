// lh1's fixed code for the upper 6 bits of a match distance (the low 6 bits follow verbatim).
#pragma once

#include <array>
#include <cstdint>

namespace quorvex6::backend::codecs::lh {

inline constexpr int kLh1PositionCodes = 64;
inline constexpr int kLh1LowBits = 6;

// 1 code of 3 bits, 3 of 4, 8 of 5, 12 of 6, 24 of 7, 16 of 8: a complete canonical code.
constexpr std::array<std::uint8_t, kLh1PositionCodes> Lh1PositionLengths() {
    std::array<std::uint8_t, kLh1PositionCodes> len{};
    constexpr int kCounts[] = {1, 3, 8, 12, 24, 16};
    int i = 0;
    for (int k = 0; k < 6; ++k) {
        for (int n = 0; n < kCounts[k]; ++n)
            len[static_cast<std::size_t>(i++)] = static_cast<std::uint8_t>(k + 3);
    }
    return len;
}

}  // namespace quorvex6::backend::codecs::lh
