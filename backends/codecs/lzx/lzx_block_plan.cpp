#include "codecs/lzx/lzx_block_plan.h"

#include "codecs/lzx/lzx_huffman_encoder.h"

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

}  // namespace

void WriteBlockHeader(BlockType type, std::uint32_t size, BitWriter& bits) {
    bits.Write(static_cast<std::uint32_t>(type), kTypeBits);
    bits.Write(size >> 8, 16);
    bits.Write(size & 0xFF, 8);
}

void BlockPlan::Count(std::span<const Item> items) {
    for (const Item& item : items) {
        if (item.length == 0) {
            ++main_counts_[item.value];
            continue;
        }
        ++main_counts_[MainSymbolOf(item)];
        if (HeaderOf(item) == kLongHeader) ++length_counts_[item.length - kMinMatch - kLongHeader];
        if (item.slot < kRepeatOffsets) continue;
        unsigned extra = kSlots.extra[item.slot];
        extra_bits_ += extra;
        if (extra >= kAlignedBits) ++aligned_counts_[item.footer & 7];
    }
}

void BlockPlan::Count(const BlockPlan& other) {
    for (unsigned s = 0; s < kMaxMainSymbols; ++s) main_counts_[s] += other.main_counts_[s];
    for (unsigned s = 0; s < kLengthSymbols; ++s) length_counts_[s] += other.length_counts_[s];
    for (unsigned s = 0; s < kAlignedSymbols; ++s) aligned_counts_[s] += other.aligned_counts_[s];
    extra_bits_ += other.extra_bits_;
}

std::uint64_t BlockPlan::Build(std::span<const std::uint8_t> main,
                               std::span<const std::uint8_t> length) {
    BuildLengths(std::span(main_counts_.data(), main_symbols_), kMaxCodeLength,
                 std::span(main_lengths_.data(), main_symbols_));
    BuildLengths(length_counts_, kMaxCodeLength, length_lengths_);
    BuildLengths(aligned_counts_, kMaxAlignedLength, aligned_lengths_);
    std::uint64_t bits = kTypeBits + 24 + extra_bits_;
    for (unsigned s = 0; s < main_symbols_; ++s)
        bits += std::uint64_t{main_counts_[s]} * main_lengths_[s];
    for (unsigned s = 0; s < kLengthSymbols; ++s)
        bits += std::uint64_t{length_counts_[s]} * length_lengths_[s];
    std::int64_t aligned_gain = -static_cast<std::int64_t>(kAlignedSymbols * kAlignedLengthBits);
    for (unsigned s = 0; s < kAlignedSymbols; ++s)
        aligned_gain += static_cast<std::int64_t>(aligned_counts_[s]) *
                        (static_cast<int>(kAlignedBits) - aligned_lengths_[s]);
    aligned_ = aligned_gain > 0;
    if (aligned_) bits -= static_cast<std::uint64_t>(aligned_gain);

    auto now = main_lengths();
    chars_.emplace(main.first(kNumChars), now.first(kNumChars));
    matches_.emplace(main.subspan(kNumChars, main_symbols_ - kNumChars), now.subspan(kNumChars));
    lengths_.emplace(length, length_lengths_);
    AssignCodes(now, main_codes_);
    AssignCodes(length_lengths_, length_codes_);
    AssignCodes(aligned_lengths_, aligned_codes_);
    return bits + chars_->Bits() + matches_->Bits() + lengths_->Bits();
}

void BlockPlan::WriteHeader(std::uint32_t size, BitWriter& bits) const {
    WriteBlockHeader(aligned_ ? BlockType::kAligned : BlockType::kVerbatim, size, bits);
    if (aligned_)
        for (std::uint8_t length : aligned_lengths_) bits.Write(length, kAlignedLengthBits);
    chars_->Write(bits);
    matches_->Write(bits);
    lengths_->Write(bits);
}

void BlockPlan::WriteItems(std::span<const Item> items, BitWriter& bits) const {
    for (const Item& item : items) {
        if (item.length == 0) {
            bits.Write(main_codes_[item.value], main_lengths_[item.value]);
            continue;
        }
        unsigned symbol = MainSymbolOf(item);
        bits.Write(main_codes_[symbol], main_lengths_[symbol]);
        if (HeaderOf(item) == kLongHeader) {
            unsigned more = item.length - kMinMatch - kLongHeader;
            bits.Write(length_codes_[more], length_lengths_[more]);
        }
        if (item.slot < kRepeatOffsets) continue;
        unsigned extra = kSlots.extra[item.slot];
        if (aligned_ && extra >= kAlignedBits) {
            bits.Write(item.footer >> kAlignedBits, extra - kAlignedBits);
            bits.Write(aligned_codes_[item.footer & 7], aligned_lengths_[item.footer & 7]);
        } else {
            bits.Write(item.footer, extra);
        }
    }
}

}  // namespace quorvex6::backend::codecs::lzx
