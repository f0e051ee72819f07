#include "codecs/ish/line_text.h"

#include <array>
#include <bit>
#include <cstring>

#include "codecs/ish/alphabets.h"
#include "io/byte_order.h"

namespace quorvex6::backend::codecs::ish {

namespace {

// Bits past the record read as zero. Groups are at most 21 bits: 32 bits are loaded whenever
// fewer than that are at hand.
class BitReader {
  public:
    BitReader(const std::uint8_t* record, std::size_t length) {
        std::memcpy(bytes_.data(), record, length);
        std::memset(bytes_.data() + length, 0, bytes_.size() - length);
    }
    unsigned take(unsigned bits) {
        if (fill_ < bits) {
            acc_ |= static_cast<std::uint64_t>(backend::io::Le32(bytes_.data() + pos_)) << fill_;
            pos_ += 4;
            fill_ += 32;
        }
        auto value = static_cast<unsigned>(acc_) & ((1U << bits) - 1);
        acc_ >>= bits;
        fill_ -= bits;
        return value;
    }

  private:
    std::array<std::uint8_t, kMaxRecord + 8> bytes_;
    std::uint64_t acc_ = 0;
    unsigned fill_ = 0;
    std::size_t pos_ = 0;
};

// Bits past the record are dropped; whole 32-bit words are stored as they fill.
class BitWriter {
  public:
    void put(unsigned value, unsigned bits) {
        acc_ |= static_cast<std::uint64_t>(value) << fill_;
        fill_ += bits;
        if (fill_ >= 32) {
            backend::io::StoreLe32(bytes_.data() + pos_, static_cast<std::uint32_t>(acc_));
            pos_ += 4;
            acc_ >>= 32;
            fill_ -= 32;
        }
    }
    void finish(std::uint8_t* record, std::size_t length) {
        backend::io::StoreLe32(bytes_.data() + pos_, static_cast<std::uint32_t>(acc_));
        std::memcpy(record, bytes_.data(), length);
    }

  private:
    std::array<std::uint8_t, kMaxRecord + 8> bytes_;
    std::uint64_t acc_ = 0;
    unsigned fill_ = 0;
    std::size_t pos_ = 0;
};

// A character's index in `a`, or -1.
template <std::size_t N>
int at(const Alphabet<N>& a, std::uint8_t c) {
    return a.index[c];
}

// A 13-bit JIS7 group's two characters, looked up whole.
constexpr auto kJis7Pairs = [] {
    std::array<std::array<std::uint8_t, 2>, 1 << 13> t{};
    for (unsigned d = 0; d < t.size(); ++d) t[d] = {kA91.chars[d / 91], kA91.chars[d % 91]};
    return t;
}();

// JIS7: four 6-bit groups, then 13-bit groups as two characters each.
void encode_jis7(const std::uint8_t* record, std::uint8_t* text) {
    BitReader bits(record, 63);
    for (int i = 0; i < 4; ++i) *text++ = kA91.chars[bits.take(6)];
    for (std::size_t i = 4; i < 78; i += 2) {
        std::memcpy(text, kJis7Pairs[bits.take(13)].data(), 2);
        text += 2;
    }
}

bool decode_jis7(const std::uint8_t* text, std::size_t length, std::uint8_t* record) {
    if (length != 78) return false;
    BitWriter bits;
    for (int i = 0; i < 4; ++i) {
        int g = at(kA91, text[i]);
        if (g < 0 || g >= 64) return false;
        bits.put(static_cast<unsigned>(g), 6);
    }
    for (std::size_t i = 4; i < 78; i += 2) {
        int hi = at(kA91, text[i]);
        int lo = at(kA91, text[i + 1]);
        if (hi < 0 || lo < 0) return false;
        auto d = static_cast<unsigned>(hi * 91 + lo);
        if (d >= 1U << 13) return false;
        bits.put(d, 13);
    }
    bits.finish(record, 63);
    return true;
}

// Two 7-bit JIS8 groups' characters, looked up as one 14-bit group.
constexpr auto kJis8Pairs = [] {
    std::array<std::array<std::uint8_t, 2>, 1 << 14> t{};
    for (unsigned d = 0; d < t.size(); ++d) t[d] = {kA128.chars[d & 0x7F], kA128.chars[d >> 7]};
    return t;
}();

void encode_jis8(const std::uint8_t* record, std::uint8_t* text) {
    BitReader bits(record, 69);
    for (int i = 0; i < 78; i += 2) {
        std::memcpy(text, kJis8Pairs[bits.take(14)].data(), 2);
        text += 2;
    }
    *text = kA128.chars[bits.take(7)];
}

bool decode_jis8(const std::uint8_t* text, std::size_t length, std::uint8_t* record) {
    if (length != 79) return false;
    BitWriter bits;
    for (std::size_t i = 0; i < 79; ++i) {
        int g = at(kA128, text[i]);
        if (g < 0) return false;
        bits.put(static_cast<unsigned>(g), 7);
    }
    bits.finish(record, 69);
    return true;
}

// Shift_JIS: after a lead character comes a trail character; the state runs across groups.
// Each 15-bit group's two characters and the state they leave are looked up for both states at
// once (bits 0-15 the characters, bit 16 the state; after a lead character 32 bits higher), so
// the state only selects and its chain from one group to the next stays short. Made on first
// use: too many steps for a compiler to evaluate.
using SjisGroups = std::array<std::uint64_t, 1 << 15>;

const SjisGroups& SjisGroupTable() {
    static const SjisGroups table = [] {
        SjisGroups t{};
        for (unsigned d = 0; d < t.size(); ++d) {
            const unsigned hi = d / 182, lo = d % 182;
            const bool hi_leads = is_lead(kSj1.chars[hi]);
            const std::uint64_t after_single =
                kSj1.chars[hi] | unsigned{hi_leads ? kSj2.chars[lo] : kSj1.chars[lo]} << 8 |
                unsigned{!hi_leads && is_lead(kSj1.chars[lo])} << 16;
            const std::uint64_t after_lead = kSj2.chars[hi] | unsigned{kSj1.chars[lo]} << 8 |
                                             unsigned{is_lead(kSj1.chars[lo])} << 16;
            t[d] = after_single | after_lead << 32;
        }
        return t;
    }();
    return table;
}

void encode_sjis(const std::uint8_t* record, std::uint8_t* text) {
    BitReader bits(record, 73);
    *text++ = kA128.chars[bits.take(7)];
    const SjisGroups& groups = SjisGroupTable();
    unsigned lead = 0;
    for (int i = 0; i < 38; ++i) {
        auto group = static_cast<std::uint32_t>(groups[bits.take(15)] >> (lead * 32));
        text[0] = static_cast<std::uint8_t>(group);
        text[1] = static_cast<std::uint8_t>(group >> 8);
        text += 2;
        lead = group >> 16 & 1;
    }
    // The last 7 bits: a lead character there would have no trail, so it moves up by 0x40.
    const unsigned index = bits.take(7);
    if (lead != 0) {
        *text = kSj2.chars[index];
    } else {
        std::uint8_t c = kSj1.chars[index];
        *text = is_lead(c) ? static_cast<std::uint8_t>(c + 0x40) : c;
    }
}

bool decode_sjis(const std::uint8_t* text, std::size_t length, std::uint8_t* record) {
    if (length != 78) return false;
    BitWriter bits;
    int first = at(kA128, text[0]);
    if (first < 0) return false;
    bits.put(static_cast<unsigned>(first), 7);
    bool lead = false;
    auto next = [&](std::uint8_t c) {
        int x = lead ? kSj2.index[c] : kSj1.index[c];
        lead = !lead & is_lead(c);
        return x;
    };
    for (std::size_t i = 1; i < 77; i += 2) {
        int hi = next(text[i]);
        int lo = next(text[i + 1]);
        if (hi < 0 || lo < 0) return false;
        auto d = static_cast<unsigned>(hi * 182 + lo);
        if (d >= 1U << 15) return false;
        bits.put(d, 15);
    }
    std::uint8_t c = text[77];
    if (!lead && c >= 0xC9 && c <= 0xDF) c -= 0x40;
    int last = lead ? kSj2.index[c] : kSj1.index[c];
    if (last < 0 || last >= 128) return false;
    bits.put(static_cast<unsigned>(last), 7);
    bits.finish(record, 73);
    return true;
}

// Non-kana: 14-bit groups as two characters, a third one when the second is a lead character;
// groups past 91 x 123 become a lead and a trail character. 79 characters in all.
constexpr unsigned kPlainGroups = 91 * 123;
constexpr int kBudget = 75;

struct NonKanaGroup {
    std::uint8_t first, second;
    bool trail;  // a trail character from 7 more bits follows
};

constexpr auto kNonKanaGroups = [] {
    std::array<NonKanaGroup, 1 << 14> t{};
    for (unsigned d = 0; d < t.size(); ++d) {
        if (d < kPlainGroups) {
            t[d] = {kA123.chars[d / 123], kA123.chars[d % 123], d % 123 >= 91};
        } else {
            unsigned e = d - kPlainGroups;
            t[d] = {kLeads.chars[e / 182], kSj2.chars[e % 182], false};
        }
    }
    return t;
}();

void encode_non_kana(const std::uint8_t* record, std::uint8_t* text) {
    BitReader bits(record, 69);
    *text++ = kA91.chars[bits.take(8)];
    int budget = kBudget;
    while (budget >= 0) {
        const NonKanaGroup& g = kNonKanaGroups[bits.take(14)];
        text[0] = g.first;
        text[1] = g.second;
        text += 2;
        budget -= 2;
        if (g.trail) {
            *text++ = kSj2.chars[bits.take(7)];
            budget -= 1;
        }
    }
    if (budget == -2) {
        *text = kA91.chars[bits.take(7)];
    } else if (budget == -1) {
        std::memcpy(text, kJis7Pairs[bits.take(13)].data(), 2);
    }
}

bool decode_non_kana(const std::uint8_t* text, std::size_t length, std::uint8_t* record) {
    if (length != 79) return false;
    BitWriter bits;
    int number = at(kA91, text[0]);
    if (number < 0) return false;
    bits.put(static_cast<unsigned>(number), 8);
    std::size_t i = 1;
    int budget = kBudget;
    // Each group needs at most three characters and the tail two; the line has exactly 79.
    auto left = [&] { return length - i; };
    while (budget >= 0) {
        if (left() < 2) return false;
        int first = at(kA123, text[i]);
        if (first < 0) return false;
        if (first < 91) {
            int second = at(kA123, text[i + 1]);
            if (second < 0) return false;
            bits.put(static_cast<unsigned>(first * 123 + second), 14);
            i += 2;
            budget -= 2;
            if (second >= 91) {
                if (left() < 1) return false;
                int trail = at(kSj2, text[i++]);
                if (trail < 0 || trail >= 128) return false;
                bits.put(static_cast<unsigned>(trail), 7);
                budget -= 1;
            }
        } else {
            int trail = at(kSj2, text[i + 1]);
            if (trail < 0) return false;
            auto d = kPlainGroups + static_cast<unsigned>((first - 91) * 182 + trail);
            if (d >= 1U << 14) return false;
            bits.put(d, 14);
            i += 2;
            budget -= 2;
        }
    }
    if (budget == -2) {
        if (left() != 1) return false;
        int g = at(kA91, text[i]);
        if (g < 0) return false;
        bits.put(static_cast<unsigned>(g), 7);
    } else if (budget == -1) {
        if (left() != 2) return false;
        int hi = at(kA91, text[i]);
        int lo = at(kA91, text[i + 1]);
        if (hi < 0 || lo < 0 || hi * 91 + lo >= 1 << 13) return false;
        bits.put(static_cast<unsigned>(hi * 91 + lo), 13);
    } else if (left() != 0) {
        return false;
    }
    bits.finish(record, 69);
    return true;
}

}  // namespace

void EncodeLine(Variant v, const std::uint8_t* record, std::uint8_t* text) {
    switch (v) {
        case Variant::kJis7:
            return encode_jis7(record, text);
        case Variant::kJis8:
            return encode_jis8(record, text);
        case Variant::kShiftJis:
            return encode_sjis(record, text);
        case Variant::kNonKana:
            return encode_non_kana(record, text);
    }
}

bool DecodeLine(Variant v, const std::uint8_t* text, std::size_t length, std::uint8_t* record) {
    switch (v) {
        case Variant::kJis7:
            return decode_jis7(text, length, record);
        case Variant::kJis8:
            return decode_jis8(text, length, record);
        case Variant::kShiftJis:
            return decode_sjis(text, length, record);
        case Variant::kNonKana:
            return decode_non_kana(text, length, record);
    }
    return false;
}

}  // namespace quorvex6::backend::codecs::ish
