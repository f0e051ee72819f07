#include "codecs/ppmd/sub_allocator.h"

#include <new>

namespace quorvex6::backend::codecs::ppmd {

bool SubAllocator::Allocate(std::size_t size) {
    if (heap_ && size_ == size) return true;
    heap_.reset();
    size_ = 0;
    // The offset puts the units' end on a 4-byte boundary; the spare unit past the end heads
    // the list GlueFreeBlocks builds.
    const std::uint32_t align = 4 - static_cast<std::uint32_t>(size & 3);
    heap_.reset(new (std::nothrow) std::uint8_t[align + size + kUnitSize]);
    if (!heap_) return false;
    size_ = size;
    align_ = align;
    end_ = static_cast<std::uint32_t>(align + size + kUnitSize);
    return true;
}

void SubAllocator::Reset() {
    free_list_.fill(0);
    text_ = align_;
    hi_unit_ = text_ + static_cast<std::uint32_t>(size_);
    lo_unit_ = units_start_ =
        hi_unit_ - static_cast<std::uint32_t>(size_ / 8 / kUnitSize * 7 * kUnitSize);
    glue_count_ = 0;
}

void SubAllocator::SplitBlock(std::uint32_t block, unsigned old_index, unsigned new_index) {
    const unsigned units = kIndexToUnits[old_index] - kIndexToUnits[new_index];
    block += kIndexToUnits[new_index] * kUnitSize;
    unsigned index = IndexOf(units);
    if (kIndexToUnits[index] != units) {
        const unsigned head = kIndexToUnits[--index];
        // The rest is under 4 units, whose lists are indexed by size - 1.
        InsertNode(block + head * kUnitSize, units - head - 1);
    }
    InsertNode(block, index);
}

void SubAllocator::GlueFreeBlocks() {
    // Every used block starts with a nonzero 16-bit word (a count or a frequency), so a zero
    // stamp marks a free block; the spare unit and the unit gap's start carry stamp 1.
    const std::uint32_t head = align_ + static_cast<std::uint32_t>(size_);
    std::uint32_t n = head;
    glue_count_ = 255;

    for (unsigned i = 0; i < kIndexCount; ++i) {
        std::uint32_t next = free_list_[i];
        free_list_[i] = 0;
        while (next != 0) {
            auto* node = At<Node>(next);
            node->next = n;
            At<Node>(n)->prev = next;
            n = next;
            std::memcpy(&next, node, sizeof(next));
            node->stamp = 0;
            node->units = kIndexToUnits[i];
        }
    }
    At<Node>(head)->stamp = 1;
    At<Node>(head)->next = n;
    At<Node>(n)->prev = head;
    if (lo_unit_ != hi_unit_) At<Node>(lo_unit_)->stamp = 1;

    while (n != head) {
        auto* node = At<Node>(n);
        std::uint32_t units = node->units;
        for (;;) {
            auto* after = At<Node>(n + units * kUnitSize);
            units += after->units;
            if (after->stamp != 0 || units >= 0x10000) break;
            At<Node>(after->prev)->next = after->next;
            At<Node>(after->next)->prev = after->prev;
            node->units = static_cast<std::uint16_t>(units);
        }
        n = node->next;
    }

    for (n = At<Node>(head)->next; n != head;) {
        const std::uint32_t next = At<Node>(n)->next;
        unsigned units = At<Node>(n)->units;
        std::uint32_t block = n;
        for (; units > kMaxUnits; units -= kMaxUnits, block += kMaxUnits * kUnitSize)
            InsertNode(block, kIndexCount - 1);
        unsigned index = IndexOf(units);
        if (kIndexToUnits[index] != units) {
            const unsigned first = kIndexToUnits[--index];
            InsertNode(block + first * kUnitSize, units - first - 1);
        }
        InsertNode(block, index);
        n = next;
    }
}

std::uint32_t SubAllocator::AllocUnitsRare(unsigned index) {
    if (glue_count_ == 0) {
        GlueFreeBlocks();
        if (free_list_[index] != 0) return RemoveNode(index);
    }
    unsigned larger = index;
    do {
        if (++larger == kIndexCount) {
            // No list has a block: take from the text side of the units, if the text leaves
            // room.
            const std::uint32_t bytes = kIndexToUnits[index] * kUnitSize;
            --glue_count_;
            if (units_start_ - text_ <= bytes) return 0;
            units_start_ -= bytes;
            return units_start_;
        }
    } while (free_list_[larger] == 0);
    const std::uint32_t block = RemoveNode(larger);
    SplitBlock(block, larger, index);
    return block;
}

std::uint32_t SubAllocator::AllocUnits(unsigned index) {
    if (free_list_[index] != 0) return RemoveNode(index);
    const std::uint32_t bytes = kIndexToUnits[index] * kUnitSize;
    if (bytes <= hi_unit_ - lo_unit_) {
        const std::uint32_t block = lo_unit_;
        lo_unit_ += bytes;
        return block;
    }
    return AllocUnitsRare(index);
}

std::uint32_t SubAllocator::AllocContext() {
    if (hi_unit_ != lo_unit_) return hi_unit_ -= kUnitSize;
    if (free_list_[0] != 0) return RemoveNode(0);
    return AllocUnitsRare(0);
}

std::uint32_t SubAllocator::GrowByOne(std::uint32_t block, unsigned units) {
    const unsigned index = IndexOf(units);
    if (index == IndexOf(units + 1)) return block;
    const std::uint32_t grown = AllocUnits(index + 1);
    if (grown == 0) return 0;
    std::memcpy(heap_.get() + grown, heap_.get() + block, units * kUnitSize);
    InsertNode(block, index);
    return grown;
}

std::uint32_t SubAllocator::Shrink(std::uint32_t block, unsigned old_units, unsigned new_units) {
    const unsigned old_index = IndexOf(old_units), new_index = IndexOf(new_units);
    if (old_index == new_index) return block;
    if (free_list_[new_index] != 0) {
        const std::uint32_t moved = RemoveNode(new_index);
        std::memcpy(heap_.get() + moved, heap_.get() + block, new_units * kUnitSize);
        InsertNode(block, old_index);
        return moved;
    }
    SplitBlock(block, old_index, new_index);
    return block;
}

}  // namespace quorvex6::backend::codecs::ppmd
