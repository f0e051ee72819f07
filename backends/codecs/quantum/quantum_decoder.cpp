#include <algorithm>

#include "codecs/quantum/quantum.h"
#include "codecs/quantum/quantum_slots.h"

namespace quorvex6::backend::codecs::quantum {

using ::quorvex6::backend::codecs::Status;

namespace {

// MSB-first bits of one frame. Past the end it yields the 0xFF byte readers place after every
// frame and then two zero bytes, the look-ahead a well-formed frame may still hold; asking for
// more than that is a truncated frame.
class BitReader {
  public:
    explicit BitReader(std::span<const std::uint8_t> in) : in_(in) {}

    std::uint32_t Read(unsigned n) {
        std::uint32_t v = 0;
        while (n-- != 0) {
            if (bit_ == 0) {
                byte_ = NextByte();
                bit_ = 8;
            }
            --bit_;
            v = v << 1 | ((byte_ >> bit_) & 1u);
        }
        return v;
    }
    bool overrun() const { return overrun_; }

  private:
    std::uint8_t NextByte() {
        std::size_t at = at_++;
        if (at < in_.size()) return in_[at];
        if (at == in_.size()) return 0xFF;
        if (at > in_.size() + 2) overrun_ = true;
        return 0;
    }

    std::span<const std::uint8_t> in_;
    std::size_t at_ = 0;
    std::uint8_t byte_ = 0;
    unsigned bit_ = 0;
    bool overrun_ = false;
};

// The 16-bit arithmetic decoder, restarted at every frame.
class Coder {
  public:
    explicit Coder(BitReader& bits) : bits_(bits), code_(bits.Read(16)) {}

    unsigned Decode(Model& model) {
        std::uint32_t range = ((high_ - low_) & 0xFFFF) + 1;
        std::uint32_t total = model.Total();
        std::uint32_t target = ((((code_ - low_ + 1) & 0xFFFF) * total - 1) / range) & 0xFFFF;
        unsigned k = model.Find(target);
        unsigned symbol = model.SymbolAt(k);
        high_ = (low_ + model.Cumulative(k) * range / total - 1) & 0xFFFF;
        low_ = (low_ + model.Cumulative(k + 1) * range / total) & 0xFFFF;
        model.Update(k);
        Normalise();
        return symbol;
    }

  private:
    void Normalise() {
        for (;;) {
            if ((low_ ^ high_) & 0x8000) {
                // Both halves of the middle: widen around the centre.
                if (!(low_ & 0x4000) || (high_ & 0x4000)) return;
                code_ ^= 0x4000;
                low_ &= 0x3FFF;
                high_ |= 0x4000;
            }
            low_ = (low_ << 1) & 0xFFFF;
            high_ = ((high_ << 1) | 1) & 0xFFFF;
            code_ = ((code_ << 1) | bits_.Read(1)) & 0xFFFF;
        }
    }

    BitReader& bits_;
    std::uint32_t high_ = 0xFFFF, low_ = 0, code_;
};

}  // namespace

FrameDecoder::FrameDecoder(unsigned window_bits)
    : window_bits_(window_bits), window_(std::size_t{1} << window_bits), models_(window_bits) {
    Reset();
}

void FrameDecoder::Reset() {
    std::fill(window_.begin(), window_.end(), std::uint8_t{0});
    window_at_ = 0;
    models_ = ModelSet(window_bits_);
}

Status FrameDecoder::Decode(std::span<const std::uint8_t> in, std::span<std::uint8_t> out) {
    if (out.size() > kFrameLimit) return Status::kCorrupt;
    BitReader bits(in);
    Coder coder(bits);
    std::size_t mask = window_.size() - 1;
    std::size_t done = 0;
    auto put = [&](std::uint8_t b) {
        window_[window_at_] = b;
        window_at_ = (window_at_ + 1) & mask;
        out[done++] = b;
    };
    while (done < out.size()) {
        unsigned selector = coder.Decode(models_.selector);
        if (selector < 4) {
            put(static_cast<std::uint8_t>(coder.Decode(models_.literals[selector])));
        } else {
            std::size_t length = 0, slot = 0;
            if (selector == 4) {
                length = 3;
                slot = coder.Decode(models_.short_positions);
            } else if (selector == 5) {
                length = 4;
                slot = coder.Decode(models_.middle_positions);
            } else {
                unsigned l = coder.Decode(models_.long_lengths);
                length = kSlots.length_base[l] + bits.Read(kSlots.length_extra[l]) + kMinLongLength;
                slot = coder.Decode(models_.long_positions);
            }
            std::size_t offset =
                kSlots.position_base[slot] + bits.Read(kSlots.position_extra[slot]) + 1;
            // Matches never cross a frame's end; one reaching beyond the window is invalid.
            if (length > out.size() - done || offset > window_.size()) return Status::kCorrupt;
            std::size_t from = window_at_ - offset;
            for (std::size_t i = 0; i < length; ++i) put(window_[(from + i) & mask]);
        }
        if (bits.overrun()) return Status::kTruncated;
    }
    return Status::kOk;
}

}  // namespace quorvex6::backend::codecs::quantum
