#include "codecs/ppmd/model_h.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace quorvex6::backend::codecs::ppmd {
namespace {

constexpr unsigned kMaxFreq = 124;
constexpr unsigned kIntBits = 7, kPeriodBits = 7, kTotalBits = kIntBits + kPeriodBits;
constexpr std::uint32_t kBinScale = 1u << kTotalBits;
constexpr unsigned kRootSymbols = 256;

constexpr std::array<std::uint16_t, 8> kInitBinEsc = {0x3CDD, 0x1F3F, 0x59BF, 0x48F3,
                                                      0x64A1, 0x5ABC, 0x6632, 0x6051};
constexpr std::array<std::uint8_t, 16> kExpEscape = {25, 14, 9, 7, 5, 5, 4, 4,
                                                     4,  3,  3, 3, 2, 2, 2, 2};

// SEE row by the number of symbols a context still offers: one row each for 1..3, then rows
// that widen by one symbol each time.
constexpr std::array<std::uint8_t, 256> kSymbolsToSeeRow = [] {
    std::array<std::uint8_t, 256> row{};
    unsigned i = 0;
    for (; i < 3; ++i) row[i] = static_cast<std::uint8_t>(i);
    for (unsigned m = i, k = 1; i < 256; ++i) {
        row[i] = static_cast<std::uint8_t>(m);
        if (--k == 0) k = ++m - 2;
    }
    return row;
}();

// Binary-context column by the suffix's number of symbols.
constexpr std::array<std::uint8_t, 256> kSuffixSymbolsToColumn = [] {
    std::array<std::uint8_t, 256> column{};
    column[0] = 0;
    column[1] = 2;
    for (unsigned i = 2; i < 11; ++i) column[i] = 4;
    for (unsigned i = 11; i < 256; ++i) column[i] = 6;
    return column;
}();

constexpr unsigned HighBitsFlag(unsigned symbol) { return symbol >= 0x40 ? 8 : 0; }

constexpr unsigned Mean(unsigned summ) { return (summ + (1u << (kPeriodBits - 2))) >> kPeriodBits; }

}  // namespace

bool ModelH::Restart(int max_order, std::size_t memory_bytes) {
    if (max_order < kMinOrder || max_order > kMaxOrder) return false;
    if (memory_bytes < kMinMemory || memory_bytes > kMaxMemory) return false;
    if (!heap_.Allocate(memory_bytes)) return false;
    max_order_ = max_order;
    restarts_ = 0;
    RestartModel();
    dummy_see_ = {0, kPeriodBits, 64};
    return true;
}

void ModelH::RestartModel() {
    heap_.Reset();
    order_fall_ = static_cast<unsigned>(max_order_);
    run_length_ = init_rl_ = -std::min(max_order_, 12) - 1;
    prev_success_ = 0;
    init_esc_ = 0;
    hi_bits_flag_ = 0;

    min_context_ = max_context_ = Ctx(heap_.AllocContext());
    min_context_->suffix = 0;
    min_context_->num_stats = kRootSymbols;
    min_context_->summ_freq = kRootSymbols + 1;
    const std::uint32_t stats = heap_.AllocUnits(IndexOf(kRootSymbols / 2));
    min_context_->stats = stats;
    found_state_ = heap_.At<State>(stats);
    for (unsigned i = 0; i < kRootSymbols; ++i) {
        State* s = found_state_ + i;
        s->symbol = static_cast<std::uint8_t>(i);
        s->freq = 1;
        SetSuccessor(s, 0);
    }
    for (unsigned i = 0; i < bin_summ_.size(); ++i) {
        for (unsigned k = 0; k < kInitBinEsc.size(); ++k) {
            const auto value = static_cast<std::uint16_t>(kBinScale - kInitBinEsc[k] / (i + 2));
            for (unsigned m = 0; m < 64; m += 8) bin_summ_[i][k + m] = value;
        }
    }
    for (unsigned i = 0; i < see_.size(); ++i) {
        for (See& see : see_[i])
            see = {static_cast<std::uint16_t>((5 * i + 10) << (kPeriodBits - 4)), kPeriodBits - 4,
                   4};
    }
}

std::uint16_t& ModelH::BinaryProbability() {
    const State* s = OneState(min_context_);
    hi_bits_flag_ = HighBitsFlag(found_state_->symbol);
    const unsigned row = std::min<unsigned>(s->freq, bin_summ_.size()) - 1;
    const unsigned column = prev_success_ +
                            kSuffixSymbolsToColumn[Ctx(min_context_->suffix)->num_stats - 1] +
                            hi_bits_flag_ + 2 * HighBitsFlag(s->symbol) +
                            (static_cast<std::uint32_t>(run_length_ >> 26) & 0x20);
    return bin_summ_[row][column];
}

ModelH::See* ModelH::EscapeEstimator(unsigned masked, std::uint32_t& esc_freq) {
    const unsigned num_stats = min_context_->num_stats;
    if (num_stats == kRootSymbols) {
        esc_freq = 1;
        return &dummy_see_;
    }
    const unsigned offered = num_stats - masked;
    const unsigned suffix_extra = Ctx(min_context_->suffix)->num_stats - num_stats;
    See* see = &see_[kSymbolsToSeeRow[offered - 1]]
                    [(offered < suffix_extra ? 1 : 0) +
                     2 * (min_context_->summ_freq < 11 * num_stats ? 1 : 0) +
                     4 * (masked > offered ? 1 : 0) + hi_bits_flag_];
    const unsigned r = see->summ >> see->shift;
    see->summ = static_cast<std::uint16_t>(see->summ - r);
    esc_freq = r + (r == 0 ? 1 : 0);
    return see;
}

void ModelH::UpdateSee(See* see) {
    if (see->shift < kPeriodBits && --see->count == 0) {
        see->summ = static_cast<std::uint16_t>(see->summ << 1);
        see->count = static_cast<std::uint8_t>(3 << see->shift++);
    }
}

void ModelH::NextContext() {
    const std::uint32_t successor = Successor(found_state_);
    if (order_fall_ == 0 && !heap_.IsText(successor)) {
        min_context_ = max_context_ = Ctx(successor);
    } else {
        UpdateModel();
    }
}

void ModelH::UpdateFirst() {
    prev_success_ = 2u * found_state_->freq > min_context_->summ_freq ? 1 : 0;
    run_length_ += static_cast<std::int32_t>(prev_success_);
    min_context_->summ_freq += 4;
    found_state_->freq += 4;
    if (found_state_->freq > kMaxFreq) Rescale();
    NextContext();
}

void ModelH::UpdateLater() {
    State* s = found_state_;
    s->freq += 4;
    min_context_->summ_freq += 4;
    if (s[0].freq > s[-1].freq) {
        std::swap(s[0], s[-1]);
        found_state_ = --s;
        if (s->freq > kMaxFreq) Rescale();
    }
    NextContext();
}

void ModelH::UpdateMasked() {
    min_context_->summ_freq += 4;
    found_state_->freq += 4;
    if (found_state_->freq > kMaxFreq) Rescale();
    run_length_ = init_rl_;
    UpdateModel();
}

void ModelH::UpdateBinary() {
    if (found_state_->freq < 128) ++found_state_->freq;
    prev_success_ = 1;
    ++run_length_;
    NextContext();
}

void ModelH::Rescale() {
    State* stats = Stats(min_context_);
    State* s = found_state_;
    // The found state moves to the front, then all halve and settle back into order.
    for (const State found = *s; s != stats; --s) {
        s[0] = s[-1];
        s[-1] = found;
    }
    std::uint32_t esc_freq = min_context_->summ_freq - s->freq;
    s->freq += 4;
    const unsigned adder = order_fall_ != 0 ? 1 : 0;
    s->freq = static_cast<std::uint8_t>((s->freq + adder) >> 1);
    std::uint32_t sum_freq = s->freq;
    const unsigned num_stats = min_context_->num_stats;
    unsigned i = num_stats - 1;
    do {
        esc_freq -= (++s)->freq;
        s->freq = static_cast<std::uint8_t>((s->freq + adder) >> 1);
        sum_freq += s->freq;
        if (s[0].freq > s[-1].freq) {
            State* to = s;
            const State moving = *to;
            do {
                to[0] = to[-1];
            } while (--to != stats && moving.freq > to[-1].freq);
            *to = moving;
        }
    } while (--i != 0);

    if (s->freq == 0) {
        do {
            ++i;
        } while ((--s)->freq == 0);
        esc_freq += i;
        min_context_->num_stats = static_cast<std::uint16_t>(num_stats - i);
        if (min_context_->num_stats == 1) {
            State only = *stats;
            do {
                only.freq = static_cast<std::uint8_t>(only.freq - (only.freq >> 1));
                esc_freq >>= 1;
            } while (esc_freq > 1);
            heap_.Free(heap_.RefOf(stats), (num_stats + 1) >> 1);
            *(found_state_ = OneState(min_context_)) = only;
            return;
        }
        const unsigned old_units = (num_stats + 1) >> 1;
        const unsigned new_units = (min_context_->num_stats + 1u) >> 1;
        if (old_units != new_units)
            min_context_->stats = heap_.Shrink(min_context_->stats, old_units, new_units);
    }
    min_context_->summ_freq = static_cast<std::uint16_t>(sum_freq + esc_freq - (esc_freq >> 1));
    found_state_ = Stats(min_context_);
}

std::uint32_t ModelH::CreateSuccessors(bool skip) {
    Context* c = min_context_;
    const std::uint32_t up_branch = Successor(found_state_);
    const std::uint8_t symbol = found_state_->symbol;
    std::array<State*, kMaxOrder + 1> chain;  // filled up to depth only
    unsigned depth = 0;
    if (!skip) chain[depth++] = found_state_;

    while (c->suffix != 0) {
        c = Ctx(c->suffix);
        State* s = nullptr;
        if (c->num_stats != 1) {
            s = Stats(c);
            for (const State* end = s + c->num_stats - 1; s->symbol != symbol && s != end;) ++s;
        } else {
            s = OneState(c);
        }
        const std::uint32_t successor = Successor(s);
        if (successor != up_branch) {
            c = Ctx(successor);
            if (depth == 0) return successor;
            break;
        }
        if (depth == chain.size()) return 0;
        chain[depth++] = s;
    }

    State up{};
    up.symbol = heap_.TextAt(up_branch);
    SetSuccessor(&up, up_branch + 1);
    if (c->num_stats == 1) {
        up.freq = OneState(c)->freq;
    } else {
        const State* s = Stats(c);
        for (const State* end = s + c->num_stats - 1; s->symbol != up.symbol && s != end;) ++s;
        const std::uint32_t cf = s->freq - 1u;
        const std::uint32_t s0 = std::max<std::uint32_t>(c->summ_freq - c->num_stats - cf, 1);
        up.freq = static_cast<std::uint8_t>(
            1 + ((2 * cf <= s0) ? (5 * cf > s0 ? 1 : 0) : ((2 * cf + 3 * s0 - 1) / (2 * s0))));
    }

    do {
        const std::uint32_t child_ref = heap_.AllocContext();
        if (child_ref == 0) return 0;
        Context* child = Ctx(child_ref);
        child->num_stats = 1;
        *OneState(child) = up;
        child->suffix = heap_.RefOf(c);
        SetSuccessor(chain[--depth], child_ref);
        c = child;
    } while (depth != 0);
    return heap_.RefOf(c);
}

void ModelH::UpdateModel() {
    const std::uint8_t symbol = found_state_->symbol;
    const unsigned found_freq = found_state_->freq;
    std::uint32_t found_successor = Successor(found_state_);

    // The shorter context that predicted too: count the symbol there as well.
    if (found_freq < kMaxFreq / 4 && min_context_->suffix != 0) {
        Context* c = Ctx(min_context_->suffix);
        if (c->num_stats == 1) {
            State* s = OneState(c);
            if (s->freq < 32) ++s->freq;
        } else {
            State* s = Stats(c);
            if (s->symbol != symbol) {
                const State* end = s + c->num_stats - 1;
                do {
                    ++s;
                } while (s->symbol != symbol && s != end);
                if (s[0].freq >= s[-1].freq) {
                    std::swap(s[0], s[-1]);
                    --s;
                }
            }
            if (s->freq < kMaxFreq - 9) {
                s->freq += 2;
                c->summ_freq += 2;
            }
        }
    }

    if (order_fall_ == 0) {
        const std::uint32_t created = CreateSuccessors(true);
        if (created == 0) {
            ++restarts_;
            RestartModel();
            return;
        }
        min_context_ = max_context_ = Ctx(created);
        SetSuccessor(found_state_, created);
        return;
    }

    if (!heap_.PutText(symbol)) {
        ++restarts_;
        RestartModel();
        return;
    }
    std::uint32_t successor = heap_.text();

    if (found_successor != 0) {
        if (heap_.IsText(found_successor)) {
            found_successor = CreateSuccessors(false);
            if (found_successor == 0) {
                ++restarts_;
                RestartModel();
                return;
            }
        }
        if (--order_fall_ == 0) {
            successor = found_successor;
            if (max_context_ != min_context_) heap_.UnputText();
        }
    } else {
        SetSuccessor(found_state_, successor);
        found_successor = heap_.RefOf(min_context_);
    }

    const unsigned ns = min_context_->num_stats;
    const std::uint32_t s0 = min_context_->summ_freq - ns - (found_freq - 1);

    for (Context* c = max_context_; c != min_context_; c = Ctx(c->suffix)) {
        const unsigned ns1 = c->num_stats;
        if (ns1 != 1) {
            if ((ns1 & 1) == 0) {
                const std::uint32_t grown = heap_.GrowByOne(c->stats, ns1 >> 1);
                if (grown == 0) {
                    ++restarts_;
                    RestartModel();
                    return;
                }
                c->stats = grown;
            }
            c->summ_freq = static_cast<std::uint16_t>(
                c->summ_freq + (2 * ns1 < ns ? 1 : 0) +
                2 * ((4 * ns1 <= ns ? 1 : 0) & (c->summ_freq <= 8 * ns1 ? 1 : 0)));
        } else {
            const std::uint32_t stats = heap_.AllocUnits(0);
            if (stats == 0) {
                ++restarts_;
                RestartModel();
                return;
            }
            State* s = heap_.At<State>(stats);
            *s = *OneState(c);
            c->stats = stats;
            if (s->freq < kMaxFreq / 4 - 1) {
                s->freq = static_cast<std::uint8_t>(s->freq << 1);
            } else {
                s->freq = kMaxFreq - 4;
            }
            c->summ_freq = static_cast<std::uint16_t>(s->freq + init_esc_ + (ns > 3 ? 1 : 0));
        }
        std::uint32_t cf = 2 * found_freq * (c->summ_freq + 6u);
        const std::uint32_t sf = s0 + c->summ_freq;
        if (cf < 6 * sf) {
            cf = 1 + (cf > sf ? 1 : 0) + (cf >= 4 * sf ? 1 : 0);
            c->summ_freq += 3;
        } else {
            cf = 4 + (cf >= 9 * sf ? 1 : 0) + (cf >= 12 * sf ? 1 : 0) + (cf >= 15 * sf ? 1 : 0);
            c->summ_freq = static_cast<std::uint16_t>(c->summ_freq + cf);
        }
        State* added = Stats(c) + ns1;
        SetSuccessor(added, successor);
        added->symbol = symbol;
        added->freq = static_cast<std::uint8_t>(cf);
        c->num_stats = static_cast<std::uint16_t>(ns1 + 1);
    }
    max_context_ = min_context_ = Ctx(found_successor);
}

template <class Coder>
int ModelH::Decode(Coder& rc) {
    if (!ready()) return -1;
    // All ones for a symbol still offered, 0 for one an escape has ruled out.
    std::array<std::uint32_t, 256> offered;
    if (min_context_->num_stats != 1) {
        State* s = Stats(min_context_);
        const std::uint32_t count = rc.Threshold(min_context_->summ_freq);
        std::uint32_t hi_cnt = s->freq;
        if (count < hi_cnt) {
            rc.Decode(0, s->freq);
            found_state_ = s;
            const int symbol = s->symbol;
            UpdateFirst();
            return rc.broken() ? -1 : symbol;
        }
        prev_success_ = 0;
        unsigned i = min_context_->num_stats - 1;
        do {
            if ((hi_cnt += (++s)->freq) > count) {
                rc.Decode(hi_cnt - s->freq, s->freq);
                found_state_ = s;
                const int symbol = s->symbol;
                UpdateLater();
                return rc.broken() ? -1 : symbol;
            }
        } while (--i != 0);
        if (count >= min_context_->summ_freq) return -1;
        hi_bits_flag_ = HighBitsFlag(found_state_->symbol);
        rc.Decode(hi_cnt, min_context_->summ_freq - hi_cnt);
        offered.fill(~0u);
        const State* stats = Stats(min_context_);
        for (unsigned k = 0; k < min_context_->num_stats; ++k) offered[stats[k].symbol] = 0;
    } else {
        std::uint16_t& prob = BinaryProbability();
        if (rc.DecodeBit(prob, kBinScale) == 0) {
            prob = static_cast<std::uint16_t>(prob + (1u << kIntBits) - Mean(prob));
            found_state_ = OneState(min_context_);
            const int symbol = found_state_->symbol;
            UpdateBinary();
            return rc.broken() ? -1 : symbol;
        }
        prob = static_cast<std::uint16_t>(prob - Mean(prob));
        init_esc_ = kExpEscape[prob >> 10];
        offered.fill(~0u);
        offered[OneState(min_context_)->symbol] = 0;
        prev_success_ = 0;
    }

    for (;;) {
        const unsigned masked = min_context_->num_stats;
        do {
            ++order_fall_;
            if (min_context_->suffix == 0) return -1;
            min_context_ = Ctx(min_context_->suffix);
        } while (min_context_->num_stats == masked);
        if (rc.broken() || min_context_->num_stats < masked) return -1;

        // Only the first `num` symbols still offered count, as the encoder counted them, should
        // a child keep a symbol that a rescale took from its suffix.
        const unsigned num = min_context_->num_stats - masked;
        State* const stats = Stats(min_context_);
        const State* const end = stats + min_context_->num_stats;
        // Without branches (whether a symbol is still offered is as good as random), summing
        // frequencies in the low half and offered symbols in the high half: 256 frequencies
        // of a byte each never reach the high half.
        std::uint32_t sums = 0;
#pragma GCC unroll 4
        for (const State* s = stats; s != end; ++s)
            sums += (s->freq | 0x10000u) & offered[s->symbol];
        std::uint32_t hi_cnt = sums & 0xFFFF;
        unsigned n = sums >> 16;
        if (n < num) return -1;
        if (n != num) {
            sums = 0;
            for (const State* s = stats; (sums >> 16) != num; ++s)
                sums += (s->freq | 0x10000u) & offered[s->symbol];
            hi_cnt = sums & 0xFFFF;
            n = num;
        }
        std::uint32_t freq_sum = 0;
        See* see = EscapeEstimator(masked, freq_sum);
        freq_sum += hi_cnt;
        const std::uint32_t count = rc.Threshold(freq_sum);
        if (count < hi_cnt) {
            // A symbol ruled out weighs 0, so the search never stops at one.
            State* s = stats;
            std::uint32_t low = 0;
            for (;; ++s) {
                const std::uint32_t weight = s->freq & offered[s->symbol];
                if (low + weight > count) break;
                low += weight;
            }
            rc.Decode(low, s->freq);
            UpdateSee(see);
            found_state_ = s;
            const int symbol = s->symbol;
            UpdateMasked();
            return rc.broken() ? -1 : symbol;
        }
        if (count >= freq_sum) return -1;
        rc.Decode(hi_cnt, freq_sum - hi_cnt);
        see->summ = static_cast<std::uint16_t>(see->summ + freq_sum);
        for (const State* s = stats; n != 0; ++s) {
            n -= offered[s->symbol] & 1;
            offered[s->symbol] = 0;
        }
    }
}

int ModelH::DecodeSymbol(RarRangeDecoder& rc) { return Decode(rc); }

int ModelH::DecodeSymbol(SevenZipRangeDecoder& rc) { return Decode(rc); }

}  // namespace quorvex6::backend::codecs::ppmd
