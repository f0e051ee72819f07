// The LZX alphabet as CAB uses it: position slots, tree sizes, block types, frames and the
// E8 call translation header.
#pragma once
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace quorvex6::backend::codecs::lzx {

inline constexpr unsigned kMinWindowBits = 15;
inline constexpr unsigned kMaxWindowBits = 21;

// Output comes in frames of this size, each one CAB data block; no match crosses a frame.
inline constexpr std::size_t kFrameSize = 32768;

enum class BlockType : std::uint8_t { kVerbatim = 1, kAligned = 2, kUncompressed = 3 };

inline constexpr unsigned kMinMatch = 2;
inline constexpr unsigned kMaxMatch = 257;
inline constexpr unsigned kNumChars = 256;
inline constexpr unsigned kLengthHeaders = 8;  // per slot in the main tree; 7 = "look further"
inline constexpr unsigned kLengthSymbols = 249;
inline constexpr unsigned kAlignedSymbols = 8;
inline constexpr unsigned kAlignedBits = 3;
inline constexpr unsigned kPretreeSymbols = 20;
inline constexpr unsigned kRepeatOffsets = 3;
inline constexpr unsigned kMaxSlots = 50;
inline constexpr unsigned kMaxMainSymbols = kNumChars + kLengthHeaders * kMaxSlots;

// Longest code of each tree: main and length 16, pretree 15 (sent in 4 bits), aligned 7.
inline constexpr unsigned kMaxCodeLength = 16;
inline constexpr unsigned kMaxPretreeLength = 15;
inline constexpr unsigned kMaxAlignedLength = 7;

// The E8 translation: sent once per stream; applied to the first frames only.
inline constexpr std::uint32_t kE8FileSize = 12000000;
inline constexpr std::uint32_t kE8FrameLimit = 32768;
inline constexpr std::size_t kE8MinFrame = 11;

struct SlotTable {
    std::array<std::uint32_t, kMaxSlots + 1> base{};
    std::array<std::uint8_t, kMaxSlots + 1> extra{};
};

inline constexpr SlotTable MakeSlotTable() {
    SlotTable t;
    for (unsigned i = 0; i <= kMaxSlots; ++i) {
        t.extra[i] = static_cast<std::uint8_t>(i < 4 ? 0 : i < 36 ? i / 2 - 1 : 17);
        if (i > 0) t.base[i] = t.base[i - 1] + (std::uint32_t{1} << t.extra[i - 1]);
    }
    return t;
}
inline constexpr SlotTable kSlots = MakeSlotTable();

// Slots each window uses: the first whose base reaches the window size.
inline constexpr unsigned SlotsFor(unsigned window_bits) {
    constexpr unsigned kByBits[] = {30, 32, 34, 36, 38, 42, 50};
    return kByBits[window_bits - kMinWindowBits];
}

// An offset (>= 1) as slot and footer: offsets are sent 2 above, past the three repeats.
inline unsigned SlotOf(std::uint32_t offset) {
    std::uint32_t v = offset + 2;
    if (v < 4) return v;
    if (v >= kSlots.base[36]) return 36 + (v - kSlots.base[36]) / (std::uint32_t{1} << 17);
    auto top = static_cast<unsigned>(std::bit_width(v)) - 1;
    return 2 * top + ((v >> (top - 1)) & 1);
}

}  // namespace quorvex6::backend::codecs::lzx
