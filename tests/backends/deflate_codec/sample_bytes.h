// Inputs for the deflate and gzip tests: text that compresses, noise that does not.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace quorvex6::backend::codecs::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Text(std::size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes out;
    while (out.size() < size) {
        std::string word = std::to_string(rng() % 3000) + (rng() % 9 ? " " : ".\n");
        out.insert(out.end(), word.begin(), word.end());
    }
    out.resize(size);
    return out;
}

inline Bytes Noise(std::size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes out(size);
    for (auto& b : out) b = static_cast<std::uint8_t>(rng());
    return out;
}

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace quorvex6::backend::codecs::test
