// CRC-32 (ISO 3309), as ZIP, gzip, CAB and RAR use it: start with 0, feed pieces in order.
#pragma once
#include <cstddef>
#include <cstdint>

namespace quorvex6::backend::io {

std::uint32_t Crc32(std::uint32_t crc, const std::uint8_t* data, std::size_t size);

}  // namespace quorvex6::backend::io
