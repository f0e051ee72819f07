#include <algorithm>
#include <bit>
#include <cstring>

#include "codecs/quantum/quantum.h"
#include "codecs/quantum/quantum_slots.h"
#include "codecs/quantum/quantum_total_division.h"

namespace quorvex6::backend::codecs::quantum {

using ::quorvex6::backend::codecs::Status;

namespace {

// Shorter matches cost less a byte at a time than a call to memcpy.
constexpr std::size_t kCopiedWhole = 16;

// MSB-first bits of one frame. Past the end it yields the 0xFF byte readers place after every
// frame and then two zero bytes, the look-ahead a well-formed frame may still hold; asking for
// more than that is a truncated frame.
class BitReader {
  public:
    explicit BitReader(std::span<const std::uint8_t> in) : in_(in) {}

    // `n` up to 24. Bytes are taken only as their bits are needed, so that running past the
    // frame is noticed at the same bit as one bit at a time would.
    std::uint32_t Read(unsigned n) {
        while (count_ < n) {
            held_ = held_ << 8 | NextByte();
            count_ += 8;
        }
        count_ -= n;
        return static_cast<std::uint32_t>(held_ >> count_) & ((std::uint32_t{1} << n) - 1);
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
    std::uint64_t held_ = 0;  // the low `count_` bits are unread
    unsigned count_ = 0;
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
        high_ = (low_ + ScaleByTotal(model.Cumulative(k), range, total) - 1) & 0xFFFF;
        low_ = (low_ + ScaleByTotal(model.Cumulative(k + 1), range, total)) & 0xFFFF;
        model.Update(k);
        Normalise();
        return symbol;
    }

  private:
    // Shifts out the leading bits that low and high share, then widens around the centre while
    // low is in the second quarter and high in the third. Each shift doubles the range, which
    // a decode leaves at 4 or more, so at most 14 bits are read. Without a loop: how far each
    // step goes is as random as the data, and a branch on it was mispredicted.
    void Normalise() {
        const unsigned settled = std::countl_zero(static_cast<std::uint16_t>(low_ ^ high_));
        const std::uint32_t low = low_ << settled;
        const std::uint32_t high = high_ << settled | ((1u << settled) - 1);
        // Now low's top bit is 0 and high's 1. Every widening step takes a 1 at bit 14 of low
        // and a 0 in high, drops both and keeps the top bits; in the code it flips the bit that
        // ends up at the top.
        const unsigned widened = std::countl_one(static_cast<std::uint16_t>((low & ~high) << 1));
        const unsigned n = settled + widened;
        low_ = (low << widened) & 0x7FFF;
        high_ = ((high << widened) | ((1u << widened) - 1) | 0x8000) & 0xFFFF;
        code_ = (((code_ << n) | bits_.Read(n)) ^ (widened != 0 ? 0x8000 : 0)) & 0xFFFF;
    }

    BitReader& bits_;
    std::uint32_t high_ = 0xFFFF, low_ = 0, code_;
};

}  // namespace

FrameDecoder::FrameDecoder(unsigned window_bits)
    : window_bits_(window_bits), window_(std::size_t{1} << window_bits), models_(window_bits) {}

void FrameDecoder::Reset() {
    std::fill(window_.begin(), window_.end(), std::uint8_t{0});
    window_at_ = 0;
    models_ = ModelSet(window_bits_);
}

Status FrameDecoder::Decode(std::span<const std::uint8_t> in, std::span<std::uint8_t> out) {
    if (out.size() > kFrameLimit) return Status::kCorrupt;
    BitReader bits(in);
    Coder coder(bits);
    // Locals, not members: byte stores may alias members, which would then be reloaded for
    // every byte.
    std::uint8_t* const window = window_.data();
    const std::size_t mask = window_.size() - 1;
    std::size_t at = window_at_;
    std::uint8_t* const to = out.data();
    const std::size_t size = out.size();
    std::size_t done = 0;
    Status status = Status::kOk;
    while (done < size) {
        unsigned selector = coder.Decode(models_.selector);
        if (selector < 4) {
            const auto b = static_cast<std::uint8_t>(coder.Decode(models_.literals[selector]));
            window[at] = b;
            at = (at + 1) & mask;
            to[done++] = b;
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
            if (length > size - done || offset > mask + 1) {
                status = Status::kCorrupt;
                break;
            }
            const std::size_t from = (at - offset) & mask;
            if (length >= kCopiedWhole && offset >= length && mask + 1 - offset >= length &&
                std::max(from, at) + length <= mask + 1) {
                // Apart either way round the window, and unwrapped: copied whole.
                std::memcpy(window + at, window + from, length);
                std::memcpy(to + done, window + at, length);
                at = (at + length) & mask;
                done += length;
            } else {
                for (std::size_t i = 0; i < length; ++i) {
                    const std::uint8_t b = window[(from + i) & mask];
                    window[at] = b;
                    at = (at + 1) & mask;
                    to[done++] = b;
                }
            }
        }
        if (bits.overrun()) {
            status = Status::kTruncated;
            break;
        }
    }
    window_at_ = at;
    return status;
}

}  // namespace quorvex6::backend::codecs::quantum
