#include "unlha32/file_bytes.h"

namespace quorvex6::unlha32 {

std::ptrdiff_t FileInput::read_at(uint64_t offset, void* data, size_t n) {
    if (offset >= size_) return 0;
    std::ptrdiff_t got = -1;
    Try([&] { got = static_cast<std::ptrdiff_t>(file_.ReadAt(offset, data, n)); });
    return got;
}

}  // namespace quorvex6::unlha32
