#include "codecs/quantum/quantum_model.h"

#include <algorithm>
#include <utility>

#include "codecs/quantum/quantum_slots.h"

namespace quorvex6::backend::codecs::quantum {

namespace {
constexpr unsigned kHalvingsBetweenSorts = 50;
}  // namespace

Model::Model(unsigned first, unsigned count) : entries_(count + 1) {
    for (unsigned i = 0; i <= count; ++i)
        entries_[i] = {static_cast<std::uint16_t>(first + i),
                       static_cast<std::uint16_t>(count - i)};
}

unsigned Model::IndexOf(unsigned symbol) const {
    unsigned k = 0;
    while (entries_[k].symbol != symbol) ++k;
    return k;
}

void Model::Rescale() {
    unsigned n = Size();
    if (--halvings_left_ != 0) {
        // Halving from the end keeps every entry's range non-empty.
        for (unsigned i = n; i-- > 0;) {
            entries_[i].cumulative >>= 1;
            if (entries_[i].cumulative <= entries_[i + 1].cumulative)
                entries_[i].cumulative = entries_[i + 1].cumulative + 1;
        }
        return;
    }
    halvings_left_ = kHalvingsBetweenSorts;
    for (unsigned i = 0; i < n; ++i)
        entries_[i].cumulative = static_cast<std::uint16_t>(
            (entries_[i].cumulative - entries_[i + 1].cumulative + 1) >> 1);
    // Encoders sort with exactly these exchanges; ties must end in the same order.
    for (unsigned i = 0; i + 1 < n; ++i)
        for (unsigned j = i + 1; j < n; ++j)
            if (entries_[i].cumulative < entries_[j].cumulative)
                std::swap(entries_[i], entries_[j]);
    for (unsigned i = n; i-- > 0;) entries_[i].cumulative += entries_[i + 1].cumulative;
}

ModelSet::ModelSet(unsigned window_bits)
    : selector(0, 7),
      literals{Model(0, 64), Model(64, 64), Model(128, 64), Model(192, 64)},
      short_positions(0, std::min(2 * window_bits, kShortPositionSlots)),
      middle_positions(0, std::min(2 * window_bits, kMiddlePositionSlots)),
      long_positions(0, 2 * window_bits),
      long_lengths(0, kLengthSlots) {}

}  // namespace quorvex6::backend::codecs::quantum
