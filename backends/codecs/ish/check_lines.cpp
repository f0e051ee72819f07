#include "codecs/ish/check_lines.h"

#include <algorithm>
#include <cstring>

namespace quorvex6::backend::codecs::ish {

namespace {

using Sums = std::array<std::uint8_t, kMaxRecord>;

// dst[i] += src[i] mod 256, eight bytes a step: the encoder sums every byte it writes twice.
void AddBytes(std::uint8_t* dst, const std::uint8_t* src, std::size_t n) {
    constexpr std::uint64_t kHigh = 0x8080808080808080;
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t a = 0, b = 0;
        std::memcpy(&a, dst + i, 8);
        std::memcpy(&b, src + i, 8);
        std::uint64_t sum = ((a & ~kHigh) + (b & ~kHigh)) ^ ((a ^ b) & kHigh);
        std::memcpy(dst + i, &sum, 8);
    }
    for (; i < n; ++i) dst[i] = static_cast<std::uint8_t>(dst[i] + src[i]);
}

// Adds the cells of `row` (line `n`) to the diagonal sums.
void AddDiagonals(Sums& diag, const Row& row, std::size_t n, std::size_t m) {
    std::size_t shift = (2 + m - n % m) % m;  // cell i lies on diagonal i + shift, wrapped
    AddBytes(diag.data() + shift, row.data(), m - shift);
    AddBytes(diag.data(), row.data() + m - shift, shift);
}

std::size_t DiagonalOf(std::size_t column, std::size_t n, std::size_t m) {
    return (column + m + 2 - n) % m;  // (column - n + 2) mod m, for n <= m
}

std::size_t ColumnOn(std::size_t diagonal, std::size_t n, std::size_t m) {
    return (diagonal + n + m - 2) % m;
}

}  // namespace

void ComputeCheckRows(Grid& grid, const Layout& layout) {
    const std::size_t m = layout.vertical();
    Row& vertical = grid[m];
    Row& diagonal = grid[layout.diagonal()];
    Sums column{};
    for (std::size_t n = 1; n <= layout.payload(); ++n) AddBytes(column.data(), grid[n].data(), m);
    vertical[0] = static_cast<std::uint8_t>(m);
    for (std::size_t i = 1; i < m; ++i) vertical[i] = static_cast<std::uint8_t>(-column[i]);
    Sums diag{};
    for (std::size_t n = 1; n <= m; ++n) AddDiagonals(diag, grid[n], n, m);
    diagonal[0] = static_cast<std::uint8_t>(layout.diagonal());
    for (std::size_t d = 1; d < m; ++d) diagonal[d] = static_cast<std::uint8_t>(-diag[d]);
}

bool RebuildRows(Grid& grid, const Layout& layout, std::span<const std::size_t> lost,
                 bool diagonal_present) {
    const std::size_t m = layout.vertical();
    if (lost.size() > 2) return false;
    auto is_lost = [&](std::size_t n) {
        return std::find(lost.begin(), lost.end(), n) != lost.end();
    };
    // Sums of the known cells of every column and diagonal; a lost row's number is known.
    Sums column{}, diag{};
    for (std::size_t n = 1; n <= m; ++n) {
        if (is_lost(n)) {
            grid[n].fill(0);
            grid[n][0] = static_cast<std::uint8_t>(n);
        }
        for (std::size_t i = 1; i < m; ++i) column[i] += grid[n][i];
        AddDiagonals(diag, grid[n], n, m);
    }
    // What each diagonal must sum to, the hidden diagonal 0 included.
    Sums target{};
    if (diagonal_present) {
        const Row& stored = grid[layout.diagonal()];
        unsigned all = m * (m + 1) / 2;
        for (std::size_t d = 1; d < m; ++d) {
            target[d] = static_cast<std::uint8_t>(-stored[d]);
            all += stored[d];
        }
        target[0] = static_cast<std::uint8_t>(all);
    }
    std::array<std::array<bool, kMaxRecord>, 2> known{};
    for (auto& k : known) {
        k.fill(false);
        k[0] = true;
    }
    auto unknown_in_column = [&](std::size_t i) {
        int n = 0;
        for (std::size_t r = 0; r < lost.size(); ++r) n += known[r][i] ? 0 : 1;
        return n;
    };
    auto unknown_on_diagonal = [&](std::size_t d) {
        int n = 0;
        for (std::size_t r = 0; r < lost.size(); ++r)
            n += known[r][ColumnOn(d, lost[r], m)] ? 0 : 1;
        return n;
    };
    std::size_t left = lost.size() * (m - 1);
    bool progress = true;
    while (left > 0 && progress) {
        progress = false;
        for (std::size_t r = 0; r < lost.size(); ++r) {
            for (std::size_t i = 1; i < m; ++i) {
                if (known[r][i]) continue;
                std::size_t d = DiagonalOf(i, lost[r], m);
                std::uint8_t value = 0;
                if (unknown_in_column(i) == 1) {
                    value = static_cast<std::uint8_t>(-column[i]);
                } else if (diagonal_present && unknown_on_diagonal(d) == 1) {
                    value = static_cast<std::uint8_t>(target[d] - diag[d]);
                } else {
                    continue;
                }
                grid[lost[r]][i] = value;
                column[i] += value;
                diag[d] += value;
                known[r][i] = true;
                --left;
                progress = true;
            }
        }
    }
    return left == 0;
}

}  // namespace quorvex6::backend::codecs::ish
