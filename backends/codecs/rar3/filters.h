// RAR 2.9's standard filters: a stretch of the output, once decoded whole, transformed before
// it is written. The stream carries each filter as code for a virtual machine; only the six
// programs the real packer emits are known, by their code's CRC-32 and length, and run here
// natively with the parameters the stream puts in the machine's registers.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace quorvex6::backend::codecs::rar3 {

enum class FilterKind : std::uint8_t { kE8, kE8E9, kItanium, kDelta, kRgb, kAudio };

// The kind of a filter program, from its code; nullopt for a program not known.
std::optional<FilterKind> IdentifyProgram(std::span<const std::uint8_t> code);

struct Filter {
    FilterKind kind = FilterKind::kDelta;
    std::uint64_t start = 0;        // in the stream's output
    std::uint32_t length = 0;       // at most kMaxFilterLength
    std::uint32_t file_offset = 0;  // where the stretch starts in its file (x86, Itanium)
    std::uint32_t r0 = 0, r1 = 0;   // channels, or width and the red byte's place (RGB)
};

// The machine's work area: no stretch is longer.
inline constexpr std::uint32_t kMaxFilterLength = 0x3C000;

// Runs `filter` over memory[0, filter.length) (memory holds at least 2 * kMaxFilterLength
// bytes); where its output starts in memory, or nullopt when its parameters are damage.
std::optional<std::uint32_t> RunFilter(const Filter& filter, std::vector<std::uint8_t>& memory);

}  // namespace quorvex6::backend::codecs::rar3
