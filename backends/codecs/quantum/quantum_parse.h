// The cheapest way, by the models' current prices, to cover a stretch of a frame with literals
// and matches: every match the finder offers, at every length it allows, weighed against the
// literals it replaces.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "codecs/quantum/quantum_match_finder.h"
#include "codecs/quantum/quantum_prices.h"

namespace quorvex6::backend::codecs::quantum {

class PricedParser {
  public:
    // Steps covering frame[start, end) in order: length 0 a literal, else a match. `finder`
    // must not have been asked past `start`; it is asked about each position it is worth.
    void Parse(MatchFinder& finder, std::span<const std::uint8_t> frame, std::size_t start,
               std::size_t end, const Prices& prices, unsigned nice, std::vector<Match>& steps);

  private:
    struct Arrival {
        std::uint32_t cost;
        Match step;  // the one that arrives here the cheapest
    };
    std::vector<Arrival> arrivals_;
    std::vector<Match> matches_;
};

}  // namespace quorvex6::backend::codecs::quantum
