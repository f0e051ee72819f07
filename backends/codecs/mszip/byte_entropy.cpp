#include "codecs/mszip/byte_entropy.h"

#include <array>
#include <cmath>

namespace quorvex6::backend::codecs::mszip {

double BitsPerByte(std::span<const std::uint8_t> bytes) {
    std::array<std::uint32_t, 256> counts{};
    for (std::uint8_t b : bytes) ++counts[b];
    double bits = 0;
    const auto total = static_cast<double>(bytes.size());
    for (std::uint32_t count : counts)
        if (count != 0) bits -= count * std::log2(count / total);
    return bytes.empty() ? 0 : bits / total;
}

}  // namespace quorvex6::backend::codecs::mszip
