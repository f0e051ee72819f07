#include "codecs/quantum/quantum_model.h"

#include <algorithm>
#include <utility>

#include "codecs/quantum/quantum_slots.h"

namespace quorvex6::backend::codecs::quantum {

namespace {
constexpr unsigned kHalvingsBetweenSorts = 50;
}  // namespace

Model::Model(unsigned first, unsigned count) : size_(count), blocks_((count + kLane - 1) / kLane) {
    for (unsigned i = 0; i < count; ++i) {
        symbols_[i] = static_cast<std::uint16_t>(first + i);
        cumulative_[i] = static_cast<std::uint16_t>(count - i);
    }
}

unsigned Model::IndexOf(unsigned symbol) const {
    unsigned k = 0;
    while (symbols_[k] != symbol) ++k;
    return k;
}

void Model::Rescale() {
    unsigned n = Size();
    if (--halvings_left_ != 0) {
        // Halving from the end keeps every entry's range non-empty.
        for (unsigned i = n; i-- > 0;) {
            cumulative_[i] >>= 1;
            if (cumulative_[i] <= cumulative_[i + 1])
                cumulative_[i] = static_cast<std::uint16_t>(cumulative_[i + 1] + 1);
        }
        return;
    }
    halvings_left_ = kHalvingsBetweenSorts;
    for (unsigned i = 0; i < n; ++i)
        cumulative_[i] = static_cast<std::uint16_t>((cumulative_[i] - cumulative_[i + 1] + 1) >> 1);
    // Encoders sort with exactly these exchanges; ties must end in the same order.
    for (unsigned i = 0; i + 1 < n; ++i)
        for (unsigned j = i + 1; j < n; ++j)
            if (cumulative_[i] < cumulative_[j]) {
                std::swap(cumulative_[i], cumulative_[j]);
                std::swap(symbols_[i], symbols_[j]);
            }
    for (unsigned i = n; i-- > 0;) cumulative_[i] += cumulative_[i + 1];
}

ModelSet::ModelSet(unsigned window_bits)
    : selector(0, 7),
      literals{Model(0, 64), Model(64, 64), Model(128, 64), Model(192, 64)},
      short_positions(0, std::min(2 * window_bits, kShortPositionSlots)),
      middle_positions(0, std::min(2 * window_bits, kMiddlePositionSlots)),
      long_positions(0, 2 * window_bits),
      long_lengths(0, kLengthSlots) {}

}  // namespace quorvex6::backend::codecs::quantum
