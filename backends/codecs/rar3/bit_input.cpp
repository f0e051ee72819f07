#include "codecs/rar3/bit_input.h"

#include <algorithm>

namespace quorvex6::backend::codecs::rar3 {

void BitInput::Reset(io::Source& in, std::uint64_t packed_size) {
    in_ = &in;
    left_ = packed_size;
    at_ = end_ = 0;
    acc_ = 0;
    count_ = 0;
    padding_ = 0;
    read_failed_ = false;
}

bool BitInput::FillChunk() {
    // Past the end only a little padding is ever counted: a decoder stops at the first overrun.
    if (padding_ > 128) padding_ = 128;
    if (left_ == 0 || read_failed_) return false;
    std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left_, kChunk));
    std::ptrdiff_t got = in_->read(chunk_.data(), want);
    if (got <= 0) {
        read_failed_ = got < 0;
        left_ = 0;
        return false;
    }
    left_ -= static_cast<std::uint64_t>(got);
    at_ = 0;
    end_ = static_cast<std::size_t>(got);
    return true;
}

}  // namespace quorvex6::backend::codecs::rar3
