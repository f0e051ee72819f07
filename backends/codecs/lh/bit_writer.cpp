#include "codecs/lh/bit_writer.h"

namespace quorvex6::backend::codecs::lh {

BitWriter::BitWriter(Sink& out)
    : out_(out), buffer_(std::make_unique_for_overwrite<std::uint8_t[]>(kBufferSize)) {}

void BitWriter::flush() {
    if (pos_ == 0) return;
    if (!failed_ && !out_.write(buffer_.get(), pos_)) failed_ = true;
    flushed_ += pos_;
    pos_ = 0;
}

void BitWriter::append(const std::uint8_t* data, std::uint64_t bits) {
    const std::uint64_t whole = bits / 8;
    std::uint64_t i = 0;
    for (; i + 4 <= whole; i += 4) {
        put(32, std::uint32_t{data[i]} << 24 | std::uint32_t{data[i + 1]} << 16 |
                    std::uint32_t{data[i + 2]} << 8 | data[i + 3]);
    }
    for (; i < whole; ++i) put(8, data[i]);
    const int rest = static_cast<int>(bits % 8);
    if (rest > 0) put(rest, static_cast<std::uint32_t>(data[whole] >> (8 - rest)));
}

bool BitWriter::finish() {
    if (count_ > 0) {
        count_ = (count_ + 7) & ~7;
        spill();
    }
    flush();
    return !failed_;
}

}  // namespace quorvex6::backend::codecs::lh
