#include "io/crc32.h"

#include <libdeflate.h>

namespace quorvex6::backend::io {

// libdeflate's is the fastest here (folded carry-less multiply where the processor has it).
std::uint32_t Crc32(std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
    return libdeflate_crc32(crc, data, size);
}

}  // namespace quorvex6::backend::io
