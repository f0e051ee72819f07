// RAR 5.0's filters: a stretch of the output, once decoded whole, transformed before it is
// written: delta (bytes of interleaved channels stored as differences), x86 calls (E8) and
// jumps (E8E9) with absolute addresses made relative again, ARM branch-and-link.
#pragma once
#include <cstdint>
#include <vector>

namespace quorvex6::backend::codecs::rar5 {

enum class FilterType : std::uint8_t { kDelta = 0, kE8 = 1, kE8E9 = 2, kArm = 3 };

struct Filter {
    FilterType type = FilterType::kDelta;
    std::uint64_t start = 0;   // in the file's output
    std::uint32_t length = 0;  // 4 .. kMaxFilterLength
    unsigned channels = 1;     // delta only
};

inline constexpr std::uint32_t kMaxFilterLength = 0x400000;

// `data` is the filter's stretch as decoded; it becomes what is written.
void ApplyFilter(const Filter& filter, std::vector<std::uint8_t>& data);

}  // namespace quorvex6::backend::codecs::rar5
