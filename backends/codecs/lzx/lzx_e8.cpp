#include "codecs/lzx/lzx_e8.h"

#include <cstring>

#include "codecs/lzx/lzx_constants.h"

namespace quorvex6::backend::codecs::lzx {

namespace {

// Calls each operand at an E8 byte in the scanned part; the operand is skipped whether or not
// it changes, on both sides alike.
template <typename Change>
void ForEachOperand(std::span<std::uint8_t> frame, std::uint32_t position, Change change) {
    if (frame.size() < kE8MinFrame) return;
    std::uint8_t* p = frame.data();
    std::uint8_t* end = p + frame.size() - (kE8MinFrame - 1);
    auto current = static_cast<std::int32_t>(position);
    while (p < end) {
        auto* hit =
            static_cast<std::uint8_t*>(std::memchr(p, 0xE8, static_cast<std::size_t>(end - p)));
        if (hit == nullptr) return;
        current += static_cast<std::int32_t>(hit - p);
        std::uint32_t raw = hit[1] | (hit[2] << 8) | (hit[3] << 16) | (std::uint32_t{hit[4]} << 24);
        auto value = static_cast<std::int32_t>(raw);
        std::int32_t changed = change(value, current);
        if (changed != value) {
            auto out = static_cast<std::uint32_t>(changed);
            hit[1] = static_cast<std::uint8_t>(out);
            hit[2] = static_cast<std::uint8_t>(out >> 8);
            hit[3] = static_cast<std::uint8_t>(out >> 16);
            hit[4] = static_cast<std::uint8_t>(out >> 24);
        }
        p = hit + 5;
        current += 5;
    }
}

}  // namespace

void E8Encode(std::span<std::uint8_t> frame, std::uint32_t position, std::uint32_t file_size) {
    auto size = static_cast<std::int32_t>(file_size);
    ForEachOperand(frame, position, [size](std::int32_t rel, std::int32_t current) {
        if (rel < -current || rel >= size) return rel;
        return rel < size - current ? rel + current : rel - size;
    });
}

void E8Decode(std::span<std::uint8_t> frame, std::uint32_t position, std::uint32_t file_size) {
    auto size = static_cast<std::int32_t>(file_size);
    ForEachOperand(frame, position, [size](std::int32_t abs, std::int32_t current) {
        if (abs < -current || abs >= size) return abs;
        return abs >= 0 ? abs - current : abs + size;
    });
}

}  // namespace quorvex6::backend::codecs::lzx
