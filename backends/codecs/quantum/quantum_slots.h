// How match offsets and long lengths are split into a coded slot and raw extra bits.
#pragma once
#include <array>
#include <cstdint>

namespace quorvex6::backend::codecs::quantum {

inline constexpr unsigned kPositionSlots = 42;
inline constexpr unsigned kLengthSlots = 27;
inline constexpr unsigned kMinMatch = 3;
inline constexpr unsigned kMinLongLength = 5;
inline constexpr unsigned kMaxMatch = 259;
// The position models of matches of length 3 and 4 have at most this many slots.
inline constexpr unsigned kShortPositionSlots = 24, kMiddlePositionSlots = 36;

struct Slots {
    std::array<std::uint32_t, kPositionSlots> position_base{};
    std::array<std::uint8_t, kPositionSlots> position_extra{};
    std::array<std::uint16_t, kLengthSlots> length_base{};
    std::array<std::uint8_t, kLengthSlots> length_extra{};
};

constexpr Slots MakeSlots() {
    Slots s;
    for (unsigned i = 0; i < kPositionSlots; ++i) {
        s.position_extra[i] = static_cast<std::uint8_t>(i < 2 ? 0 : (i - 2) / 2);
        if (i > 0) s.position_base[i] = s.position_base[i - 1] + (1u << s.position_extra[i - 1]);
    }
    // Lengths grow in fours of equal extra bits after six single steps; the last slot is 254.
    for (unsigned i = 0; i < kLengthSlots; ++i) {
        s.length_extra[i] =
            static_cast<std::uint8_t>(i < 6 || i == kLengthSlots - 1 ? 0 : (i - 2) / 4);
        if (i > 0)
            s.length_base[i] =
                static_cast<std::uint16_t>(s.length_base[i - 1] + (1u << s.length_extra[i - 1]));
    }
    return s;
}

inline constexpr Slots kSlots = MakeSlots();
static_assert(kSlots.position_base[kPositionSlots - 1] == 1572864);
static_assert(kSlots.length_base[kLengthSlots - 1] == 254);
static_assert(kSlots.length_base[kLengthSlots - 1] + kMinLongLength == kMaxMatch);

// The slot of a match offset minus one (`distance` = offset - 1).
constexpr unsigned PositionSlot(std::uint32_t distance) {
    unsigned slot = kPositionSlots - 1;
    while (kSlots.position_base[slot] > distance) --slot;
    return slot;
}

// The slot of a long match's length minus kMinLongLength.
constexpr unsigned LengthSlot(unsigned excess) {
    unsigned slot = kLengthSlots - 1;
    while (kSlots.length_base[slot] > excess) --slot;
    return slot;
}

}  // namespace quorvex6::backend::codecs::quantum
