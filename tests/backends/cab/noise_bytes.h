// Bytes no codec can pack, the same for a seed on every run.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quorvex6::backend::codecs::test {

inline std::vector<std::uint8_t> Noise(std::size_t size, std::uint32_t seed) {
    std::vector<std::uint8_t> out(size);
    for (auto& b : out) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(seed >> 24);
    }
    return out;
}

}  // namespace quorvex6::backend::codecs::test
