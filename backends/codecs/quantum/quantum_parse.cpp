#include "codecs/quantum/quantum_parse.h"

#include <algorithm>
#include <limits>

namespace quorvex6::backend::codecs::quantum {

namespace {
constexpr unsigned kEveryLength = 32;
}  // namespace

void PricedParser::Parse(MatchFinder& finder, std::span<const std::uint8_t> frame,
                         std::size_t start, std::size_t end, const Prices& prices, unsigned nice,
                         std::vector<Match>& steps) {
    const std::size_t n = end - start;
    arrivals_.assign(n + 1, {std::numeric_limits<std::uint32_t>::max(), {}});
    arrivals_[0].cost = 0;
    std::size_t searched_from = 0;  // inside a long match, positions are not searched
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t here = arrivals_[i].cost;
        Arrival& next = arrivals_[i + 1];
        if (here + prices.literal[frame[start + i]] < next.cost)
            next = {here + prices.literal[frame[start + i]], {}};
        if (i < searched_from) continue;
        finder.FindAll(start + i, matches_);
        unsigned shorter = kMinMatch - 1;
        for (const Match& match : matches_) {
            unsigned slot = PositionSlot(match.offset - 1);
            unsigned longest = static_cast<unsigned>(std::min<std::size_t>(match.length, n - i));
            // Past kEveryLength, only the whole match: where a long one ends matters little.
            for (unsigned length = shorter + 1; length <= longest; ++length) {
                if (length > kEveryLength && length < longest) length = longest;
                std::uint32_t cost = here + MatchPrice(prices, length, slot);
                Arrival& there = arrivals_[i + length];
                if (cost < there.cost) there = {cost, {length, match.offset}};
            }
            shorter = std::max(shorter, longest);
        }
        // A match this long is taken as it is: searching inside it costs more than it finds.
        if (!matches_.empty() && matches_.back().length >= nice)
            searched_from = i + matches_.back().length;
    }
    steps.clear();
    for (std::size_t at = n; at > 0;) {
        const Match& step = arrivals_[at].step;
        steps.push_back(step);
        at -= step.length == 0 ? 1 : step.length;
    }
    std::reverse(steps.begin(), steps.end());
}

}  // namespace quorvex6::backend::codecs::quantum
