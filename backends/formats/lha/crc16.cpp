#include "formats/lha/crc16.h"

#include <array>

namespace quorvex6::backend::lha {

namespace {

// Slicing by eight: table[k][b] is the CRC of byte b followed by k zero bytes.
constexpr int kSlices = 8;

constexpr std::array<std::array<std::uint16_t, 256>, kSlices> MakeTables() {
    std::array<std::array<std::uint16_t, 256>, kSlices> t{};
    for (unsigned b = 0; b < 256; ++b) {
        std::uint16_t c = static_cast<std::uint16_t>(b);
        for (int k = 0; k < 8; ++k)
            c = static_cast<std::uint16_t>(c & 1 ? (c >> 1) ^ 0xA001 : c >> 1);
        t[0][b] = c;
    }
    for (unsigned b = 0; b < 256; ++b) {
        for (int k = 1; k < kSlices; ++k) {
            std::uint16_t prev = t[k - 1][b];
            t[k][b] = static_cast<std::uint16_t>((prev >> 8) ^ t[0][prev & 0xff]);
        }
    }
    return t;
}

constexpr auto kTables = MakeTables();

}  // namespace

std::uint16_t Crc16Update(std::uint16_t crc, const std::uint8_t* data, std::size_t n) {
    std::uint32_t c = crc;
    while (n >= kSlices) {
        c ^= static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8;
        c = kTables[7][c & 0xff] ^ kTables[6][c >> 8] ^ kTables[5][data[2]] ^ kTables[4][data[3]] ^
            kTables[3][data[4]] ^ kTables[2][data[5]] ^ kTables[1][data[6]] ^ kTables[0][data[7]];
        data += kSlices;
        n -= kSlices;
    }
    while (n-- > 0) c = (c >> 8) ^ kTables[0][(c ^ *data++) & 0xff];
    return static_cast<std::uint16_t>(c);
}

}  // namespace quorvex6::backend::lha
