// What one verbatim or aligned-offset block needs: its symbol counts, the trees built from them,
// their cost in bits, and the writing of the header, the trees and the items.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "codecs/lzx/lzx_bit_writer.h"
#include "codecs/lzx/lzx_constants.h"
#include "codecs/lzx/lzx_matcher.h"
#include "codecs/lzx/lzx_tree_writer.h"

namespace quorvex6::backend::codecs::lzx {

class BlockPlan {
  public:
    explicit BlockPlan(unsigned main_symbols) : main_symbols_(main_symbols) {}

    void Count(std::span<const Item> items);
    void Count(const BlockPlan& other);

    // Builds the trees and returns the block's size in bits, header included, with its trees
    // sent as changes to `main` and `length`, the lengths the decoder holds.
    std::uint64_t Build(std::span<const std::uint8_t> main, std::span<const std::uint8_t> length);

    // After Build, with the same previous lengths.
    void WriteHeader(std::uint32_t size, BitWriter& bits) const;
    void WriteItems(std::span<const Item> items, BitWriter& bits) const;

    std::span<const std::uint8_t> main_lengths() const {
        return {main_lengths_.data(), main_symbols_};
    }
    const std::array<std::uint8_t, kLengthSymbols>& length_lengths() const {
        return length_lengths_;
    }

  private:
    unsigned main_symbols_;
    std::array<std::uint32_t, kMaxMainSymbols> main_counts_{};
    std::array<std::uint32_t, kLengthSymbols> length_counts_{};
    std::array<std::uint32_t, kAlignedSymbols> aligned_counts_{};
    std::uint64_t extra_bits_ = 0;  // footer bits, those the aligned tree may take included
    std::array<std::uint8_t, kMaxMainSymbols> main_lengths_{};
    std::array<std::uint8_t, kLengthSymbols> length_lengths_{};
    std::array<std::uint8_t, kAlignedSymbols> aligned_lengths_{};
    std::array<std::uint16_t, kMaxMainSymbols> main_codes_{};
    std::array<std::uint16_t, kLengthSymbols> length_codes_{};
    std::array<std::uint16_t, kAlignedSymbols> aligned_codes_{};
    bool aligned_ = false;
    std::optional<TreeWriter> chars_, matches_, lengths_;
};

// The one header every block starts with.
void WriteBlockHeader(BlockType type, std::uint32_t size, BitWriter& bits);

}  // namespace quorvex6::backend::codecs::lzx
