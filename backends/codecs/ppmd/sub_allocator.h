// The memory of a PPMd variant H model. Text grows up from the bottom, 12-byte units are cut
// from the top (contexts) and from the middle (state arrays), and freed blocks wait in lists by
// size. Where a block goes decides when memory runs out and the model restarts, and the encoder
// restarted at exactly that point, so every choice here follows variant H's own.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace quorvex6::backend::codecs::ppmd {

inline constexpr std::uint32_t kUnitSize = 12;
inline constexpr unsigned kIndexCount = 38;
inline constexpr unsigned kMaxUnits = 128;

// Block sizes in units by list index: steps of 1, 2, 3 then 4 up to 128.
inline constexpr std::array<std::uint8_t, kIndexCount> kIndexToUnits = [] {
    std::array<std::uint8_t, kIndexCount> units{};
    unsigned n = 0;
    for (unsigned i = 0; i < kIndexCount; ++i) {
        n += i < 4 ? 1 : i < 8 ? 2 : i < 12 ? 3 : 4;
        units[i] = static_cast<std::uint8_t>(n);
    }
    return units;
}();

// The smallest list whose blocks hold `units` (1..128).
inline constexpr std::array<std::uint8_t, kMaxUnits> kUnitsToIndex = [] {
    std::array<std::uint8_t, kMaxUnits> index{};
    unsigned i = 0;
    for (unsigned units = 1; units <= kMaxUnits; ++units) {
        if (kIndexToUnits[i] < units) ++i;
        index[units - 1] = static_cast<std::uint8_t>(i);
    }
    return index;
}();

inline unsigned IndexOf(unsigned units) { return kUnitsToIndex[units - 1]; }

// Blocks are named by their offset in the heap; 0 is never a block, so it means "none".
class SubAllocator {
  public:
    // Takes `size` bytes of model memory (plus a spare unit), once per size; false when the
    // memory cannot be had.
    bool Allocate(std::size_t size);
    bool allocated() const { return heap_ != nullptr; }
    // Empties the heap: no text, no units.
    void Reset();

    template <class T>
    T* At(std::uint32_t ref) {
        return reinterpret_cast<T*>(heap_.get() + ref);
    }
    std::uint32_t RefOf(const void* p) const {
        return static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(p) - heap_.get());
    }

    // The block of kIndexToUnits[index] units, or 0 when memory has run out.
    std::uint32_t AllocUnits(unsigned index);
    std::uint32_t AllocContext();
    // Moves a block of `units` units to one with room for one unit more; 0 when memory has
    // run out (the old block then stays).
    std::uint32_t GrowByOne(std::uint32_t block, unsigned units);
    std::uint32_t Shrink(std::uint32_t block, unsigned old_units, unsigned new_units);
    void Free(std::uint32_t block, unsigned units) { InsertNode(block, IndexOf(units)); }

    // Text: the bytes seen at the highest order, which successors point into before contexts
    // exist for them. False once the text has met the units.
    bool PutText(std::uint8_t byte) {
        heap_[text_++] = byte;
        return text_ < units_start_;
    }
    void UnputText() { --text_; }
    std::uint32_t text() const { return text_; }
    // A reference at or below the text end points into text, not at a context.
    bool IsText(std::uint32_t ref) const { return ref <= text_; }
    std::uint8_t TextAt(std::uint32_t ref) const { return ref < end_ ? heap_[ref] : 0; }

  private:
    struct Node {  // a free block while the lists are glued
        std::uint16_t stamp;
        std::uint16_t units;
        std::uint32_t next;
        std::uint32_t prev;
    };

    void InsertNode(std::uint32_t block, unsigned index) {
        std::memcpy(heap_.get() + block, &free_list_[index], sizeof(std::uint32_t));
        free_list_[index] = block;
    }
    std::uint32_t RemoveNode(unsigned index) {
        const std::uint32_t block = free_list_[index];
        std::memcpy(&free_list_[index], heap_.get() + block, sizeof(std::uint32_t));
        return block;
    }
    void SplitBlock(std::uint32_t block, unsigned old_index, unsigned new_index);
    void GlueFreeBlocks();
    std::uint32_t AllocUnitsRare(unsigned index);

    std::unique_ptr<std::uint8_t[]> heap_;
    std::size_t size_ = 0;
    std::uint32_t align_ = 0, end_ = 0;
    std::uint32_t text_ = 0, units_start_ = 0, lo_unit_ = 0, hi_unit_ = 0;
    std::uint8_t glue_count_ = 0;
    std::array<std::uint32_t, kIndexCount> free_list_{};
};

}  // namespace quorvex6::backend::codecs::ppmd
