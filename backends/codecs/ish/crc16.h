// CRC-16 as ISH seals its records and its files: polynomial 0x1021, start 0xFFFF, most
// significant bit first; ISH stores the one's complement, big-endian.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quorvex6::backend::codecs::ish {

inline constexpr std::uint16_t kCrcStart = 0xFFFF;
// What the CRC of a record followed by its stored complement always comes to.
inline constexpr std::uint16_t kCrcResidue = 0x1D0F;

std::uint16_t Crc16(std::uint16_t crc, const std::uint8_t* data, std::size_t size);

// Stores ~CRC of record[0..length-3] into its last two bytes.
void SealRecord(std::uint8_t* record, std::size_t length);
bool RecordSealed(const std::uint8_t* record, std::size_t length);

}  // namespace quorvex6::backend::codecs::ish
