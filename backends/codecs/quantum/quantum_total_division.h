// Division by a model's total as a multiplication: the arithmetic coder divides by it twice
// for every symbol, and a divide is many times slower than a multiply.
#pragma once
#include <array>
#include <cstdint>

#include "codecs/quantum/quantum_model.h"

namespace quorvex6::backend::codecs::quantum {

// Coders divide products of a cumulative count (at most the total) and a range (at most
// 65536): below 2^28.
inline constexpr unsigned kDividendBits = 28;
inline constexpr unsigned kReciprocalShift = 40;

// For each total t, m = floor(2^40 / t) + 1, so m * t = 2^40 + e with 0 < e <= t < 2^12. Then
// n * m / 2^40 = n / t + n * e / (t * 2^40), and for n < 2^28 the added part is below 1 / t,
// too little to carry n / t past the next integer: the floor is n / t's. The product stays
// below 2^57 (n / t <= 65536).
inline constexpr auto kTotalReciprocals = [] {
    static_assert(std::uint64_t{1} << (kReciprocalShift - kDividendBits) > Model::kTotalLimit);
    std::array<std::uint64_t, Model::kTotalLimit + 1> r{};
    for (unsigned t = 1; t <= Model::kTotalLimit; ++t)
        r[t] = (std::uint64_t{1} << kReciprocalShift) / t + 1;
    return r;
}();

// floor(count * range / total) for count at most total, total in 1..Model::kTotalLimit and range
// at most 65536. Grouped as count * (range * reciprocal): the same product, below 2^57, but
// the second factor is ready before the decoder knows the count.
inline std::uint32_t ScaleByTotal(std::uint32_t count, std::uint32_t range, unsigned total) {
    return static_cast<std::uint32_t>(count * (range * kTotalReciprocals[total]) >>
                                      kReciprocalShift);
}

}  // namespace quorvex6::backend::codecs::quantum
