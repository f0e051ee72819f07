// What coding a literal or a match costs with the models as they stand, in 1/kPriceScale bits,
// for a parser that weighs choices by their price instead of their length.
#pragma once
#include <array>
#include <cstdint>

#include "codecs/quantum/quantum_model.h"
#include "codecs/quantum/quantum_slots.h"

namespace quorvex6::backend::codecs::quantum {

inline constexpr std::uint32_t kPriceScale = 64;
// A slot the model cannot code.
inline constexpr std::uint32_t kNoPrice = 1u << 24;

struct Prices {
    std::array<std::uint32_t, 256> literal{};
    std::array<std::uint32_t, kPositionSlots> short_position{}, middle_position{}, long_position{};
    // Selector, length slot and extra bits of a long match, by length - kMinLongLength.
    std::array<std::uint32_t, kMaxMatch - kMinLongLength + 1> long_length{};
    std::uint32_t short_selector = 0, middle_selector = 0;
};

Prices PricesOf(const ModelSet& models);

// A match of `length` whose offset falls in position slot `slot`.
inline std::uint32_t MatchPrice(const Prices& prices, unsigned length, unsigned slot) {
    std::uint32_t extra = kSlots.position_extra[slot] * kPriceScale;
    if (length == 3) return prices.short_selector + prices.short_position[slot] + extra;
    if (length == 4) return prices.middle_selector + prices.middle_position[slot] + extra;
    return prices.long_length[length - kMinLongLength] + prices.long_position[slot] + extra;
}

}  // namespace quorvex6::backend::codecs::quantum
