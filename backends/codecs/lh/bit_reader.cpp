#include "codecs/lh/bit_reader.h"

#include <algorithm>

namespace quorvex6::backend::codecs::lh {

namespace {
constexpr std::size_t kInputBuffer = 64 * 1024;
}

BitReader::BitReader(Source& in, std::uint64_t packed_size)
    : in_(in),
      remaining_(packed_size),
      // No larger than the member: most members of an archive of small files are a few KiB.
      buffer_(static_cast<std::size_t>(std::min<std::uint64_t>(kInputBuffer, packed_size))) {}

bool BitReader::fill_buffer() {
    if (remaining_ == 0 || read_failed_) return false;
    std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(remaining_, buffer_.size()));
    std::ptrdiff_t got = in_.read(buffer_.data(), want);
    if (got < 0) {
        read_failed_ = true;
        return false;
    }
    if (got == 0) {
        remaining_ = 0;
        return false;
    }
    remaining_ -= static_cast<std::uint64_t>(got);
    pos_ = 0;
    end_ = static_cast<std::size_t>(got);
    return true;
}

void BitReader::refill() {
    if (end_ - pos_ >= 8) {
        std::uint64_t word = 0;
        for (int i = 0; i < 8; ++i) word = (word << 8) | buffer_[pos_ + i];
        int take = (63 - count_) >> 3;
        bits_ |= (word >> count_) & ~(~0ULL >> (count_ + take * 8));
        pos_ += static_cast<std::size_t>(take);
        count_ += take * 8;
        return;
    }
    while (count_ <= 56) {
        std::uint64_t b = 0;
        if (pos_ < end_ || fill_buffer()) {
            b = buffer_[pos_++];
        } else {
            padding_bits_ += 8;
        }
        bits_ |= b << (56 - count_);
        count_ += 8;
    }
}

int BitReader::byte() {
    if (pos_ < end_ || fill_buffer()) return buffer_[pos_++];
    return -1;
}

}  // namespace quorvex6::backend::codecs::lh
