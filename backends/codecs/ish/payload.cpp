#include "codecs/ish/payload.h"

#include <algorithm>
#include <cstring>

#include "codecs/ish/crc16.h"

namespace quorvex6::backend::codecs::ish {

namespace {

constexpr std::size_t kChunk = 256 << 10;

}  // namespace

Payload::Payload(Source& in, std::uint32_t size)
    : in_(in), left_(size), buffer_(kChunk), crc_(kCrcStart) {}

bool Payload::fill(std::uint8_t* out, std::size_t n) {
    while (n > 0) {
        if (left_ == 0 && !ended_) {
            if (!at_end()) return false;
            ended_ = true;
        }
        if (left_ > 0) {
            if (pos_ == end_ && !refill()) return false;
            std::size_t k = std::min({n, end_ - pos_, static_cast<std::size_t>(left_)});
            std::memcpy(out, buffer_.data() + pos_, k);
            pos_ += k;
            left_ -= k;
            out += k;
            n -= k;
        } else {
            *out++ = trailer_ < 2 ? crc_byte(trailer_++) : 0;
            --n;
        }
    }
    return true;
}

bool Payload::refill() {
    std::ptrdiff_t got = in_.read(buffer_.data(), buffer_.size());
    if (got <= 0) {
        status_ = got < 0 ? Status::kReadFailed : Status::kTruncated;
        return false;
    }
    pos_ = 0;
    end_ = static_cast<std::size_t>(got);
    crc_ = Crc16(crc_, buffer_.data(), end_);
    return true;
}

// The file's CRC covers what was read ahead too; nothing may follow its last byte.
bool Payload::at_end() {
    if (pos_ < end_) {
        status_ = Status::kCorrupt;
        return false;
    }
    std::uint8_t extra = 0;
    std::ptrdiff_t got = in_.read(&extra, 1);
    if (got == 0) return true;
    status_ = got < 0 ? Status::kReadFailed : Status::kCorrupt;
    return false;
}

std::uint8_t Payload::crc_byte(int i) const {
    auto c = static_cast<std::uint16_t>(~crc_);
    return static_cast<std::uint8_t>(i == 0 ? c >> 8 : c);
}

}  // namespace quorvex6::backend::codecs::ish
