#include "codecs/lzx/lzx_encoder.h"

#include <cstring>

#include "codecs/lzx/lzx_e8.h"
#include "codecs/lzx/lzx_huffman_encoder.h"
#include "codecs/lzx/lzx_tree_writer.h"

namespace quorvex6::backend::codecs::lzx {

namespace {

constexpr unsigned kTypeBits = 3;
constexpr unsigned kAlignedLengthBits = 3;
constexpr unsigned kLongHeader = kLengthHeaders - 1;

unsigned HeaderOf(const Item& item) {
    return std::min<unsigned>(item.length - kMinMatch, kLongHeader);
}
unsigned MainSymbolOf(const Item& item) {
    return kNumChars + item.slot * kLengthHeaders + HeaderOf(item);
}

void WriteHeader(BlockType type, std::size_t size, BitWriter& bits) {
    bits.Write(static_cast<std::uint32_t>(type), kTypeBits);
    bits.Write(static_cast<std::uint32_t>(size >> 8), 16);
    bits.Write(static_cast<std::uint32_t>(size & 0xFF), 8);
}

}  // namespace

struct Encoder::Plan {
    std::array<std::uint32_t, kMaxMainSymbols> main_counts{};
    std::array<std::uint32_t, kLengthSymbols> length_counts{};
    std::array<std::uint32_t, kAlignedSymbols> aligned_counts{};
    std::uint64_t verbatim_extra_bits = 0;  // footer bits, aligned ones included
    std::array<std::uint8_t, kMaxMainSymbols> main_lengths{};
    std::array<std::uint8_t, kLengthSymbols> length_lengths{};
    std::array<std::uint8_t, kAlignedSymbols> aligned_lengths{};
    std::array<std::uint16_t, kMaxMainSymbols> main_codes{};
    std::array<std::uint16_t, kLengthSymbols> length_codes{};
    std::array<std::uint16_t, kAlignedSymbols> aligned_codes{};
    bool aligned = false;
};

Encoder::Encoder(unsigned window_bits)
    : matcher_(window_bits), main_symbols_(kNumChars + kLengthHeaders * SlotsFor(window_bits)) {
    Reset();
}

void Encoder::Reset() {
    matcher_.Reset();
    position_ = 0;
    frames_ = 0;
    repeats_ = {1, 1, 1};
    main_lengths_.fill(0);
    length_lengths_.fill(0);
}

void Encoder::Count(Plan& plan) const {
    for (const Item& item : items_) {
        if (item.length == 0) {
            ++plan.main_counts[item.value];
            continue;
        }
        ++plan.main_counts[MainSymbolOf(item)];
        if (HeaderOf(item) == kLongHeader)
            ++plan.length_counts[item.length - kMinMatch - kLongHeader];
        if (item.slot < kRepeatOffsets) continue;
        unsigned extra = kSlots.extra[item.slot];
        plan.verbatim_extra_bits += extra;
        if (extra >= kAlignedBits) ++plan.aligned_counts[item.footer & 7];
    }
}

void Encoder::EncodeFrame(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& out) {
    out.clear();
    std::span<std::uint8_t> frame = matcher_.NextFrame(in.size());
    std::memcpy(frame.data(), in.data(), in.size());
    if (frames_ < kE8FrameLimit)
        E8Encode(frame, static_cast<std::uint32_t>(position_), kE8FileSize);
    const auto start_repeats = repeats_;
    matcher_.Match(repeats_, items_);

    Plan plan;
    Count(plan);
    BuildLengths(std::span(plan.main_counts.data(), main_symbols_), kMaxCodeLength,
                 std::span(plan.main_lengths.data(), main_symbols_));
    BuildLengths(plan.length_counts, kMaxCodeLength, plan.length_lengths);
    BuildLengths(plan.aligned_counts, kMaxAlignedLength, plan.aligned_lengths);
    std::uint64_t bits = kTypeBits + 24;
    for (unsigned s = 0; s < main_symbols_; ++s)
        bits += std::uint64_t{plan.main_counts[s]} * plan.main_lengths[s];
    for (unsigned s = 0; s < kLengthSymbols; ++s)
        bits += std::uint64_t{plan.length_counts[s]} * plan.length_lengths[s];
    bits += plan.verbatim_extra_bits;
    std::int64_t aligned_gain = -static_cast<std::int64_t>(kAlignedSymbols * kAlignedLengthBits);
    for (unsigned s = 0; s < kAlignedSymbols; ++s)
        aligned_gain += static_cast<std::int64_t>(plan.aligned_counts[s]) *
                        (static_cast<int>(kAlignedBits) - plan.aligned_lengths[s]);
    plan.aligned = aligned_gain > 0;
    if (plan.aligned) bits -= static_cast<std::uint64_t>(aligned_gain);

    std::span<const std::uint8_t> new_main(plan.main_lengths.data(), main_symbols_);
    std::span<const std::uint8_t> old_main(main_lengths_.data(), main_symbols_);
    TreeWriter chars(old_main.first(kNumChars), new_main.first(kNumChars));
    TreeWriter matches(old_main.subspan(kNumChars), new_main.subspan(kNumChars));
    TreeWriter lengths(length_lengths_, plan.length_lengths);
    bits += chars.Bits() + matches.Bits() + lengths.Bits();
    const std::uint64_t stored_bits =
        kTypeBits + 24 + 16 + 8 * (4 * kRepeatOffsets + in.size() + 1);

    BitWriter writer(out);
    if (frames_ == 0) {
        writer.Write(1, 1);
        writer.Write(kE8FileSize >> 16, 16);
        writer.Write(kE8FileSize & 0xFFFF, 16);
    }
    if (bits >= stored_bits) {
        repeats_ = start_repeats;
        WriteStored(frame, repeats_, writer, out);
    } else {
        WriteHeader(plan.aligned ? BlockType::kAligned : BlockType::kVerbatim, in.size(), writer);
        if (plan.aligned)
            for (std::uint8_t length : plan.aligned_lengths)
                writer.Write(length, kAlignedLengthBits);
        chars.Write(writer);
        matches.Write(writer);
        lengths.Write(writer);
        AssignCodes(new_main, plan.main_codes);
        AssignCodes(plan.length_lengths, plan.length_codes);
        AssignCodes(plan.aligned_lengths, plan.aligned_codes);
        WriteItems(plan, writer);
        writer.Align(false);
        std::copy(new_main.begin(), new_main.end(), main_lengths_.begin());
        length_lengths_ = plan.length_lengths;
    }
    position_ += in.size();
    ++frames_;
}

void Encoder::WriteItems(const Plan& plan, BitWriter& bits) const {
    for (const Item& item : items_) {
        if (item.length == 0) {
            bits.Write(plan.main_codes[item.value], plan.main_lengths[item.value]);
            continue;
        }
        unsigned symbol = MainSymbolOf(item);
        bits.Write(plan.main_codes[symbol], plan.main_lengths[symbol]);
        if (HeaderOf(item) == kLongHeader) {
            unsigned more = item.length - kMinMatch - kLongHeader;
            bits.Write(plan.length_codes[more], plan.length_lengths[more]);
        }
        if (item.slot < kRepeatOffsets) continue;
        unsigned extra = kSlots.extra[item.slot];
        if (plan.aligned && extra >= kAlignedBits) {
            bits.Write(item.footer >> kAlignedBits, extra - kAlignedBits);
            bits.Write(plan.aligned_codes[item.footer & 7], plan.aligned_lengths[item.footer & 7]);
        } else {
            bits.Write(item.footer, extra);
        }
    }
}

void Encoder::WriteStored(std::span<const std::uint8_t> frame,
                          const std::array<std::uint32_t, kRepeatOffsets>& repeats, BitWriter& bits,
                          std::vector<std::uint8_t>& out) {
    WriteHeader(BlockType::kUncompressed, frame.size(), bits);
    bits.Align(true);
    for (std::uint32_t r : repeats)
        for (unsigned i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(r >> (8 * i)));
    out.insert(out.end(), frame.begin(), frame.end());
    if (frame.size() % 2 != 0) out.push_back(0);
}

}  // namespace quorvex6::backend::codecs::lzx
