// CRC-32 (ISO 3309, as ZIP and gzip use it); implemented with libdeflate in codecs/deflate.
#ifndef QV_CODECS_CRC32_H
#define QV_CODECS_CRC32_H

#include <cstddef>
#include <cstdint>

namespace quorvex6::codecs {

std::uint32_t crc32(std::uint32_t crc, const std::uint8_t* data, std::size_t size);

}  // namespace quorvex6::codecs

#endif
