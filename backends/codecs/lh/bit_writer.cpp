#include "codecs/lh/bit_writer.h"

namespace quorvex6::codecs::lh {

BitWriter::BitWriter(Sink& out) : out_(out), buffer_(64 * 1024) {}

void BitWriter::flush() {
    if (pos_ == 0) return;
    if (!failed_ && !out_.write(buffer_.data(), pos_)) failed_ = true;
    flushed_ += pos_;
    pos_ = 0;
}

bool BitWriter::finish() {
    if (count_ > 0) {
        count_ = (count_ + 7) & ~7;
        spill();
    }
    flush();
    return !failed_;
}

}  // namespace quorvex6::codecs::lh
