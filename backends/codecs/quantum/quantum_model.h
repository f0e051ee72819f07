// One adaptive frequency model: symbols kept sorted by how often they were seen, with
// cumulative frequencies that the arithmetic decoder divides by.
#pragma once
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace quorvex6::backend::codecs::quantum {

class Model {
  public:
    // The literal models are the largest. A total above the limit is rescaled at once, so
    // decoders never divide by more.
    static constexpr unsigned kMaxSymbols = 64;
    static constexpr unsigned kTotalLimit = 3800;

    Model() = default;
    // Symbols first..first+count-1, all equally likely; count at most kMaxSymbols.
    Model(unsigned first, unsigned count);

    // Entry k covers cumulative frequencies [Cumulative(k + 1), Cumulative(k)).
    unsigned Total() const { return cumulative_[0]; }
    unsigned Cumulative(unsigned k) const { return cumulative_[k]; }
    unsigned Size() const { return size_; }
    unsigned SymbolAt(unsigned k) const { return symbols_[k]; }
    // The entry whose range holds `target` (0 if `target` is not below Total()): the number of
    // entries after the first whose count is above it. Counted a vector of counts at a time
    // and without branches: where a search would stop is as random as the data, and its
    // mispredicted exit cost more than the whole count.
    unsigned Find(unsigned target) const {
        // No count reaches 0x8000, so the clamp changes no comparison and lets them be signed.
        const Lanes bound = Lanes{} + static_cast<std::int16_t>(std::min(target, 0x7FFFu));
        Lanes above{};
        for (unsigned b = 0; b < blocks_; ++b) above -= Block(b) > bound;
        // Two halves of four lanes each, then the four summed by one multiplication.
        std::uint64_t halves[2];
        std::memcpy(halves, &above, sizeof halves);
        unsigned count = static_cast<unsigned>((halves[0] + halves[1]) * 0x0001000100010001u >> 48);
        return count - (Total() > target ? 1 : 0);
    }
    // The entry that holds `symbol`, one of the model's.
    unsigned IndexOf(unsigned symbol) const;
    // Counts the entry just decoded; whole vectors again, for the same reason as Find.
    void Update(unsigned k) {
        const Lanes last = Lanes{} + static_cast<std::int16_t>(k);
        Lanes index = {0, 1, 2, 3, 4, 5, 6, 7};
        for (unsigned b = 0; b < blocks_; ++b, index += kLane) {
            Lanes counts = Block(b) + ((index <= last) & kIncrement);
            std::memcpy(&cumulative_[b * kLane], &counts, sizeof counts);
        }
        if (Total() > kTotalLimit) Rescale();
    }

  private:
    static constexpr std::int16_t kIncrement = 8;
    // Eight counts, one vector register of the most portable width.
    using Lanes = std::int16_t __attribute__((vector_size(16)));
    static constexpr unsigned kLane = 8;
    static constexpr unsigned kCapacity = (kMaxSymbols + kLane) / kLane * kLane;
    Lanes Block(unsigned b) const {
        Lanes v;
        std::memcpy(&v, &cumulative_[b * kLane], sizeof v);
        return v;
    }
    void Rescale();

    // Size() entries, then zeros: the first ends the last entry's range, the rest pad.
    alignas(16) std::array<std::uint16_t, kCapacity> cumulative_{};
    std::array<std::uint16_t, kCapacity> symbols_{};
    unsigned size_ = 0;
    unsigned blocks_ = 0;  // vectors that hold the entries
    unsigned halvings_left_ = 4;
};

// Every model of a stream, as a new folder starts them.
struct ModelSet {
    explicit ModelSet(unsigned window_bits);

    Model selector;  // 0..3 a literal of literals[n], 4 and 5 matches of 3 and 4, 6 longer
    Model literals[4];
    Model short_positions;   // matches of length 3
    Model middle_positions;  // matches of length 4
    Model long_positions;
    Model long_lengths;
};

}  // namespace quorvex6::backend::codecs::quantum
