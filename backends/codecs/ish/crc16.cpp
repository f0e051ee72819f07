#include "codecs/ish/crc16.h"

#include <array>

namespace quorvex6::backend::codecs::ish {

namespace {

// Sixteen tables: the file's CRC and every record's run over every byte, sixteen bytes a step.
using Tables = std::array<std::array<std::uint16_t, 256>, 16>;

constexpr Tables MakeTables() {
    Tables t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned c = i << 8;
        for (int k = 0; k < 8; ++k) c = (c & 0x8000) != 0 ? (c << 1) ^ 0x1021 : c << 1;
        t[0][i] = static_cast<std::uint16_t>(c);
    }
    for (std::size_t k = 1; k < 16; ++k) {
        for (unsigned i = 0; i < 256; ++i) {
            unsigned prev = t[k - 1][i];
            t[k][i] = static_cast<std::uint16_t>((prev << 8) ^ t[0][prev >> 8]);
        }
    }
    return t;
}

constexpr Tables kTables = MakeTables();

}  // namespace

std::uint16_t Crc16(std::uint16_t crc, const std::uint8_t* data, std::size_t size) {
    unsigned c = crc;
    while (size >= 16) {
        c = kTables[15][(c >> 8) ^ data[0]] ^ kTables[14][(c & 0xFF) ^ data[1]] ^
            kTables[13][data[2]] ^ kTables[12][data[3]] ^ kTables[11][data[4]] ^
            kTables[10][data[5]] ^ kTables[9][data[6]] ^ kTables[8][data[7]] ^ kTables[7][data[8]] ^
            kTables[6][data[9]] ^ kTables[5][data[10]] ^ kTables[4][data[11]] ^
            kTables[3][data[12]] ^ kTables[2][data[13]] ^ kTables[1][data[14]] ^
            kTables[0][data[15]];
        data += 16;
        size -= 16;
    }
    if (size >= 8) {
        c = kTables[7][(c >> 8) ^ data[0]] ^ kTables[6][(c & 0xFF) ^ data[1]] ^
            kTables[5][data[2]] ^ kTables[4][data[3]] ^ kTables[3][data[4]] ^ kTables[2][data[5]] ^
            kTables[1][data[6]] ^ kTables[0][data[7]];
        data += 8;
        size -= 8;
    }
    if (size >= 4) {
        c = kTables[3][(c >> 8) ^ data[0]] ^ kTables[2][(c & 0xFF) ^ data[1]] ^
            kTables[1][data[2]] ^ kTables[0][data[3]];
        data += 4;
        size -= 4;
    }
    for (std::size_t i = 0; i < size; ++i) c = (c << 8 & 0xFFFF) ^ kTables[0][(c >> 8) ^ data[i]];
    return static_cast<std::uint16_t>(c);
}

void SealRecord(std::uint8_t* record, std::size_t length) {
    std::uint16_t c = ~Crc16(kCrcStart, record, length - 2);
    record[length - 2] = static_cast<std::uint8_t>(c >> 8);
    record[length - 1] = static_cast<std::uint8_t>(c);
}

bool RecordSealed(const std::uint8_t* record, std::size_t length) {
    return Crc16(kCrcStart, record, length) == kCrcResidue;
}

}  // namespace quorvex6::backend::codecs::ish
