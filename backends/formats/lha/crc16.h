// CRC-16 as LHA uses it for file data and headers (polynomial 0x8005 reflected, start 0).
#ifndef QV_FORMATS_LHA_CRC16_H
#define QV_FORMATS_LHA_CRC16_H

#include <cstddef>
#include <cstdint>

namespace quorvex6::formats::lha {

std::uint16_t crc16_update(std::uint16_t crc, const std::uint8_t* data, std::size_t n);

}  // namespace quorvex6::formats::lha

#endif
