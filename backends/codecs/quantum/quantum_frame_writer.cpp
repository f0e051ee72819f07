#include "codecs/quantum/quantum_frame_writer.h"

namespace quorvex6::backend::codecs::quantum {

namespace {
constexpr unsigned kLookahead = 16;  // code bits the decoder loads before its first symbol
constexpr unsigned kEndBits = 2;
}  // namespace

void FrameWriter::Encode(Model& model, unsigned symbol) {
    unsigned k = model.IndexOf(symbol);
    std::uint32_t range = high_ - low_ + 1;
    std::uint32_t total = model.Total();
    high_ = low_ + model.Cumulative(k) * range / total - 1;
    low_ = low_ + model.Cumulative(k + 1) * range / total;
    model.Update(k);
    for (;;) {
        if ((low_ ^ high_) & 0x8000) {
            if (!(low_ & 0x4000) || (high_ & 0x4000)) return;
            // Straddling the middle in a quarter each side: the bit is not known yet.
            ++follow_;
            low_ &= 0x3FFF;
            high_ |= 0x4000;
        } else {
            Shift(high_ >> 15);
        }
        ++shifts_;
        low_ = (low_ << 1) & 0xFFFF;
        high_ = ((high_ << 1) | 1) & 0xFFFF;
    }
}

void FrameWriter::Raw(std::uint32_t value, unsigned count) {
    if (count != 0) raw_.push_back({shifts_ + kLookahead, value, count});
}

void FrameWriter::Finish() {
    // Two bits name a value inside the last interval whatever follows them.
    ++follow_;
    Shift(low_ < 0x4000 ? 0 : 1);
    // The decoder still loads code bits up to the last raw bits it reads; their value is free.
    while (code_bits_ < shifts_ + kLookahead || !raw_.empty()) CodeBit(0);
    // Readers that check a frame's end want two zero bits after the last one they load, and
    // nothing after the byte that holds them.
    for (unsigned i = 0; i < kEndBits; ++i) Put(0);
    while (byte_bits_ != 0) Put(0);
}

void FrameWriter::Shift(unsigned bit) {
    CodeBit(bit);
    for (; follow_ != 0; --follow_) CodeBit(bit ^ 1);
}

void FrameWriter::CodeBit(unsigned bit) {
    Put(bit);
    ++code_bits_;
    while (!raw_.empty() && raw_.front().after == code_bits_) {
        const Pending& p = raw_.front();
        for (unsigned i = p.count; i-- > 0;) Put((p.value >> i) & 1);
        raw_.pop_front();
    }
}

void FrameWriter::Put(unsigned bit) {
    byte_ = byte_ << 1 | bit;
    if (++byte_bits_ == 8) {
        out_.push_back(static_cast<std::uint8_t>(byte_));
        byte_ = 0;
        byte_bits_ = 0;
    }
}

}  // namespace quorvex6::backend::codecs::quantum
