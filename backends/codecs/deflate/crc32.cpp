#include "codecs/crc32.h"

#include <libdeflate.h>

namespace quorvex6::codecs {

std::uint32_t crc32(std::uint32_t crc, const std::uint8_t* data, std::size_t size) { return libdeflate_crc32(crc, data, size); }

}  // namespace quorvex6::codecs
