#include "codecs/lh/block_plan.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <tuple>

#include "codecs/lh/huffman_decoder.h"
#include "codecs/lh/huffman_encoder.h"

namespace quorvex6::backend::codecs::lh {

namespace {

int BitLength(std::uint32_t v) { return v == 0 ? 0 : 32 - __builtin_clz(v); }

int Only(const std::uint32_t* freq, int count) {
    for (int i = 0; i < count; ++i) {
        if (freq[i] != 0) return i;
    }
    return 0;
}

// A one-symbol table made a two-symbol one: its symbol and a neighbour, one bit each.
int GiveSecondCode(std::uint8_t* len, int used, int symbol) {
    if (used > 1) return used;
    len[symbol] = 1;
    len[symbol > 0 ? symbol - 1 : 1] = 1;
    return 2;
}

struct BitCounter {
    std::uint64_t bits = 0;
    void put(int n, std::uint32_t) { bits += static_cast<std::uint64_t>(n); }
};

// Zero runs in the code-length stream are cut into the pieces that cost least at the given
// prices of the length alphabet: 0 is one zero, 1 + 4 bits 3..18 zeros, 2 + 9 bits 20..531.
void CutZeroRun(int run, const std::array<int, kLengthCodes>& price, LengthSteps& steps) {
    int best = INT32_MAX, zeros = run, threes = 0, twenties = 0;
    for (int n2 = 0; n2 <= 1; ++n2) {
        for (int n1 = 0; 3 * n1 + 20 * n2 <= run; ++n1) {
            const int n0 = std::max(0, run - 18 * n1 - 531 * n2);
            const int cost = n0 * price[0] + n1 * (price[1] + 4) + n2 * (price[2] + kCodeCountBits);
            if (cost < best) best = cost, zeros = n0, threes = n1, twenties = n2;
        }
    }
    for (int k = 0; k < zeros; ++k) steps.push({0, 0, 0});
    int covered = run - zeros;
    if (twenties > 0) {
        const int piece = std::min(531, covered - 3 * threes);
        steps.push({2, kCodeCountBits, static_cast<std::uint16_t>(piece - 20)});
        covered -= piece;
    }
    for (int k = threes; k > 0; --k) {
        const int piece = std::min(18, covered - 3 * (k - 1));
        steps.push({1, 4, static_cast<std::uint16_t>(piece - 3)});
        covered -= piece;
    }
}

// The code lengths as a stream over the length alphabet: k + 2 is a length of k.
void CutCodeLengths(const std::uint8_t* len, int n, const std::array<int, kLengthCodes>& price,
                    LengthSteps& steps) {
    steps.count = 0;
    for (int i = 0; i < n;) {
        if (len[i] != 0) {
            steps.push({static_cast<std::uint8_t>(len[i] + 2), 0, 0});
            ++i;
            continue;
        }
        int run = 1;
        while (i + run < n && len[i + run] == 0) ++run;
        i += run;
        CutZeroRun(run, price, steps);
    }
}

}  // namespace

SymbolCounts::SymbolCounts(const ParsedSymbol* symbols, std::size_t count) {
    // Literals go to a class past the last and are dropped after: a branch on the kind of each
    // symbol would be mispredicted on text about as often as it is taken.
    constexpr std::size_t kLiteralClass = std::tuple_size_v<decltype(offsets)>;
    std::array<std::uint32_t, kLiteralClass + 1> classes{};
    for (std::size_t i = 0; i < count; ++i) {
        const ParsedSymbol s = symbols[i];
        ++codes[s.code];
        // Arithmetic, not a choice, and the width of a number never 0: the compiler would
        // branch on either.
        const std::size_t match = s.code >= kLiteralCodes;
        const auto bits = static_cast<std::size_t>(std::bit_width(2 * s.dist + 1) - 1);
        ++classes[match * bits + (1 - match) * kLiteralClass];
    }
    std::copy_n(classes.begin(), kLiteralClass, offsets.begin());
}

SymbolCounts SymbolCounts::minus(const SymbolCounts& part) const {
    SymbolCounts rest;
    for (std::size_t i = 0; i < codes.size(); ++i) rest.codes[i] = codes[i] - part.codes[i];
    for (std::size_t i = 0; i < offsets.size(); ++i) rest.offsets[i] = offsets[i] - part.offsets[i];
    return rest;
}

// Lengths and the exact size; the codes themselves are made only for the blocks written.
BlockPlan::BlockPlan(const StaticParams& params, const SymbolCounts& counts,
                     const ParsedSymbol* symbols, std::size_t count, TableShape shape)
    : params_(params),
      symbols_(symbols),
      count_(count),
      only_code_(Only(counts.codes.data(), kCodeCount)),
      only_offset_(Only(counts.offsets.data(), params.offset_codes)) {
    cused_ = BuildLengths(counts.codes.data(), kCodeCount, kMaxCodeBits, clen_.data());
    pused_ = BuildLengths(counts.offsets.data(), params_.offset_codes, kMaxCodeBits, plen_.data());
    if (shape.two_codes_c) cused_ = GiveSecondCode(clen_.data(), cused_, only_code_);
    if (shape.two_codes_p) pused_ = GiveSecondCode(plen_.data(), pused_, only_offset_);
    if (pused_ > 1) {
        // The readers' offset tables hold dict_bits + 1 classes (lh4 one fewer than lh5).
        int sent = params_.offset_codes;
        while (sent > 0 && plen_[static_cast<std::size_t>(sent - 1)] == 0) --sent;
        spare_p_ = std::clamp(shape.spare_p_lengths, 0, params_.dict_bits + 1 - sent);
    }
    ccount_ = kCodeCount;
    while (ccount_ > 0 && clen_[static_cast<std::size_t>(ccount_ - 1)] == 0) --ccount_;
    if (cused_ > 1) {
        // Cut with rough prices, then again at the prices that cut gives; keep the cheaper.
        std::array<int, kLengthCodes> price;
        price.fill(4);
        LengthCoding other;
        for (LengthCoding* coding : {&lengths_, &other}) {
            CutCodeLengths(clen_.data(), ccount_, price, coding->steps);
            for (int k = 0; k < coding->steps.count; ++k)
                ++coding->freq[coding->steps.at[static_cast<std::size_t>(k)].symbol];
            coding->used =
                BuildLengths(coding->freq.data(), kLengthCodes, kMaxCodeBits, coding->len.data());
            for (std::size_t s = 0; s < price.size(); ++s)
                price[s] = coding->used > 1 && coding->len[s] == 0 ? 7 : coding->len[s];
        }
        const std::uint64_t first_bits = table_bits(lengths_);
        const std::uint64_t other_bits = table_bits(other);
        if (other_bits < first_bits) lengths_ = other;
        bits_ = std::min(first_bits, other_bits);
    } else {
        bits_ = table_bits(lengths_);
    }
    for (std::size_t c = 0; c < clen_.size(); ++c)
        bits_ += std::uint64_t{counts.codes[c]} * clen_[c];
    for (int p = 0; p < params_.offset_codes; ++p) {
        const std::uint64_t per = plen_[static_cast<std::size_t>(p)] + (p > 1 ? p - 1 : 0);
        bits_ += counts.offsets[static_cast<std::size_t>(p)] * per;
    }
}

template <class Bits>
void BlockPlan::put_small_lengths(Bits& out, const std::uint8_t* len, int count, int count_bits,
                                  int skip_after, int spare) const {
    int n = count;
    while (n > 0 && len[n - 1] == 0) --n;
    n += spare;
    out.put(count_bits, static_cast<std::uint32_t>(n));
    int i = 0;
    while (i < n) {
        int k = len[i++];
        if (k <= 6) {
            out.put(3, static_cast<std::uint32_t>(k));
        } else {
            out.put(k - 3, (1u << (k - 3)) - 2);
        }
        if (i == skip_after) {
            while (i < 6 && len[i] == 0) ++i;
            out.put(2, static_cast<std::uint32_t>(i - 3));
        }
    }
}

std::uint64_t BlockPlan::table_bits(const LengthCoding& lengths) const {
    BitCounter counter;
    put_tables(counter, lengths, nullptr);
    return counter.bits;
}

template <class Bits>
void BlockPlan::put_tables(Bits& out, const LengthCoding& lengths,
                           const std::uint16_t* tcode) const {
    out.put(16, static_cast<std::uint32_t>(count_));
    if (cused_ > 1) {
        if (lengths.used > 1) {
            put_small_lengths(out, lengths.len.data(), kLengthCodes, kLengthCountBits, 3, 0);
        } else {
            out.put(kLengthCountBits, 0);
            out.put(kLengthCountBits,
                    static_cast<std::uint32_t>(Only(lengths.freq.data(), kLengthCodes)));
        }
        out.put(kCodeCountBits, static_cast<std::uint32_t>(ccount_));
        for (int k = 0; k < lengths.steps.count; ++k) {
            const LengthStep& step = lengths.steps.at[static_cast<std::size_t>(k)];
            out.put(lengths.len[step.symbol], tcode == nullptr ? 0 : tcode[step.symbol]);
            out.put(step.extra_bits, step.extra);
        }
    } else {
        out.put(kLengthCountBits, 0);
        out.put(kLengthCountBits, 0);
        out.put(kCodeCountBits, 0);
        out.put(kCodeCountBits, static_cast<std::uint32_t>(only_code_));
    }
    if (pused_ > 1) {
        put_small_lengths(out, plen_.data(), params_.offset_codes, params_.offset_bits, -1,
                          spare_p_);
    } else {
        out.put(params_.offset_bits, 0);
        out.put(params_.offset_bits, static_cast<std::uint32_t>(pused_ == 1 ? only_offset_ : 0));
    }
}

void BlockPlan::write(BitWriter& out) const {
    std::array<std::uint16_t, kCodeCount> ccode{};
    std::array<std::uint16_t, 17> pcode{};
    std::array<std::uint16_t, kLengthCodes> tcode{};
    AssignCodes(clen_.data(), kCodeCount, ccode.data());
    AssignCodes(plen_.data(), params_.offset_codes, pcode.data());
    AssignCodes(lengths_.len.data(), kLengthCodes, tcode.data());
    put_tables(out, lengths_, tcode.data());
    BitWriter::Burst burst(out);
    for (std::size_t i = 0; i < count_; ++i) {
        const std::uint16_t c = symbols_[i].code;
        burst.put(clen_[c], ccode[c]);
        if (c < kLiteralCodes) continue;
        // The offset's class and its low bits in one put: at most 16 + 15 bits.
        const std::uint32_t d = symbols_[i].dist;
        const int p = BitLength(d);
        const int low = p > 1 ? p - 1 : 0;
        burst.put(
            plen_[static_cast<std::size_t>(p)] + low,
            std::uint32_t{pcode[static_cast<std::size_t>(p)]} << low | (d & ((1u << low) - 1)));
    }
}

bool BlockPlan::ends_on_empty_code() const {
    if (count_ == 0) return false;
    const ParsedSymbol& last = symbols_[count_ - 1];
    if (last.code < kLiteralCodes) return clen_[last.code] == 0;
    const int p = BitLength(last.dist);
    return p <= 1 && plen_[static_cast<std::size_t>(p)] == 0;
}

}  // namespace quorvex6::backend::codecs::lh
