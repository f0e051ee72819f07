#include "codecs/ish/crc16.h"

#include <array>

namespace quorvex6::backend::codecs::ish {

namespace {

// Eight tables: the file's CRC runs over every byte of the file, eight bytes a step.
using Tables = std::array<std::array<std::uint16_t, 256>, 8>;

constexpr Tables MakeTables() {
    Tables t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned c = i << 8;
        for (int k = 0; k < 8; ++k) c = (c & 0x8000) != 0 ? (c << 1) ^ 0x1021 : c << 1;
        t[0][i] = static_cast<std::uint16_t>(c);
    }
    for (std::size_t k = 1; k < 8; ++k) {
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
    while (size >= 8) {
        c = kTables[7][(c >> 8) ^ data[0]] ^ kTables[6][(c & 0xFF) ^ data[1]] ^
            kTables[5][data[2]] ^ kTables[4][data[3]] ^ kTables[3][data[4]] ^ kTables[2][data[5]] ^
            kTables[1][data[6]] ^ kTables[0][data[7]];
        data += 8;
        size -= 8;
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
