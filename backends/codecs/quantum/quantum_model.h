// One adaptive frequency model: symbols kept sorted by how often they were seen, with
// cumulative frequencies that the arithmetic decoder divides by.
#pragma once
#include <cstdint>
#include <vector>

namespace quorvex6::backend::codecs::quantum {

class Model {
  public:
    Model() = default;
    // Symbols first..first+count-1, all equally likely.
    Model(unsigned first, unsigned count);

    // Entry k covers cumulative frequencies [Cumulative(k + 1), Cumulative(k)).
    unsigned Total() const { return entries_[0].cumulative; }
    unsigned Cumulative(unsigned k) const { return entries_[k].cumulative; }
    unsigned Size() const { return static_cast<unsigned>(entries_.size()) - 1; }
    unsigned SymbolAt(unsigned k) const { return entries_[k].symbol; }
    // The entry whose range holds `target`, a value below Total(). Inline, as Update: both run
    // for every symbol decoded.
    unsigned Find(unsigned target) const {
        // The terminating zero ends the search: no count is below it.
        unsigned k = 1;
        while (entries_[k].cumulative > target) ++k;
        return k - 1;
    }
    // The entry that holds `symbol`, one of the model's.
    unsigned IndexOf(unsigned symbol) const;
    // Counts the entry just decoded.
    void Update(unsigned k) {
        for (unsigned i = 0; i <= k; ++i) entries_[i].cumulative += kIncrement;
        if (Total() > kTotalLimit) Rescale();
    }

  private:
    static constexpr unsigned kIncrement = 8;
    static constexpr unsigned kTotalLimit = 3800;
    struct Entry {
        std::uint16_t symbol;
        std::uint16_t cumulative;
    };
    void Rescale();

    std::vector<Entry> entries_;  // Size() symbols and a terminating zero
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
