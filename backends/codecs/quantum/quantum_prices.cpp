#include "codecs/quantum/quantum_prices.h"

#include <cmath>

namespace quorvex6::backend::codecs::quantum {

namespace {

// Price of each symbol first..first+N-1 of `model`; symbols it lacks keep kNoPrice.
template <std::size_t N>
void PriceModel(const Model& model, std::array<std::uint32_t, N>& prices, unsigned first = 0) {
    prices.fill(kNoPrice);
    double total = model.Total();
    for (unsigned k = 0; k < model.Size(); ++k) {
        unsigned frequency = model.Cumulative(k) - model.Cumulative(k + 1);
        prices[model.SymbolAt(k) - first] =
            static_cast<std::uint32_t>(std::lround(std::log2(total / frequency) * kPriceScale));
    }
}

}  // namespace

Prices PricesOf(const ModelSet& models) {
    Prices p;
    std::array<std::uint32_t, 7> selector{};
    PriceModel(models.selector, selector);
    for (unsigned group = 0; group < 4; ++group) {
        std::array<std::uint32_t, 64> literal{};
        PriceModel(models.literals[group], literal, group * 64);
        for (unsigned i = 0; i < 64; ++i) p.literal[group * 64 + i] = selector[group] + literal[i];
    }
    PriceModel(models.short_positions, p.short_position);
    PriceModel(models.middle_positions, p.middle_position);
    PriceModel(models.long_positions, p.long_position);
    std::array<std::uint32_t, kLengthSlots> length{};
    PriceModel(models.long_lengths, length);
    for (unsigned excess = 0; excess < p.long_length.size(); ++excess) {
        unsigned slot = LengthSlot(excess);
        p.long_length[excess] =
            selector[6] + length[slot] + kSlots.length_extra[slot] * kPriceScale;
    }
    p.short_selector = selector[4];
    p.middle_selector = selector[5];
    return p;
}

}  // namespace quorvex6::backend::codecs::quantum
