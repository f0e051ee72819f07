#include "codecs/rar15/adaptive_order.h"

namespace quorvex6::backend::codecs::rar15 {

void AdaptiveOrder::Reset(bool reversed) {
    for (std::uint32_t place = 0; place < entries_.size(); ++place) {
        const std::uint32_t value = reversed ? (256 - place) & 0xFF : place;
        entries_[place] = value << 8;
    }
    first_with_count_.fill(0);
}

void AdaptiveOrder::Flatten() {
    for (std::uint32_t place = 0; place < entries_.size(); ++place)
        entries_[place] = (entries_[place] & ~0xFFu) | (7 - place / 32);
    first_with_count_.fill(0);
    for (std::uint32_t count = 0; count < 7; ++count) first_with_count_[count] = (7 - count) * 32;
}

std::uint8_t AdaptiveOrder::Take(unsigned place) {
    place &= 0xFF;
    for (;;) {
        const std::uint32_t entry = entries_[place];
        const std::uint32_t count = entry & 0xFF;
        if (count >= max_count_) {
            Flatten();
            continue;
        }
        // The masks only restate the invariant (every place is below 256), at no cost.
        const std::uint32_t to = first_with_count_[count]++ & 0xFF;
        entries_[place] = entries_[to];
        entries_[to] = entry + 1;
        return static_cast<std::uint8_t>(entry >> 8);
    }
}

}  // namespace quorvex6::backend::codecs::rar15
