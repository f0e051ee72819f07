// The two check lines that end every block, and the repair they allow.
//
// A block is a grid: row n is the record of line n (1..payload() data, vertical() the vertical
// line, diagonal() the diagonal line); its columns 0..M-1 (M = vertical()) are the line number
// and the payload, never the CRC. Every column 1..M-1 of rows 1..M sums to zero mod 256; cell
// (n, i) lies on diagonal (i - n + 2) mod M, and byte d of the diagonal row makes diagonal d sum
// to zero. Diagonal 0 is not stored: it follows from the others, because all cells of rows
// 1..M add up to the sum of their line numbers.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "codecs/ish/variant.h"

namespace quorvex6::backend::codecs::ish {

using Row = std::array<std::uint8_t, kMaxRecord>;
// Indexed by line number; row 0 and row record-1 are unused.
using Grid = std::array<Row, kMaxRecord + 1>;

// Fills bytes 0..M-1 of the vertical and diagonal rows from data rows 1..payload(). Rows past
// a short block's last data line must hold their number and zeros.
void ComputeCheckRows(Grid& grid, const Layout& layout);

// Rebuilds bytes 1..M-1 of the `lost` rows (line numbers 1..M, at most two) from the others,
// using the diagonal row only when `diagonal_present`. False when that cannot be done.
bool RebuildRows(Grid& grid, const Layout& layout, std::span<const std::size_t> lost,
                 bool diagonal_present);

}  // namespace quorvex6::backend::codecs::ish
