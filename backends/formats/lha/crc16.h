// CRC-16 as LHA uses it for file data and headers (polynomial 0x8005 reflected, start 0).
#pragma once
#include <cstddef>
#include <cstdint>

namespace quorvex6::backend::lha {

std::uint16_t Crc16Update(std::uint16_t crc, const std::uint8_t* data, std::size_t n);

}  // namespace quorvex6::backend::lha
