#include "codecs/lh/lz_parser.h"

#include <algorithm>

namespace quorvex6::backend::codecs::lh {

namespace {
// Fresh bytes per refill; a multiple of every window so that positions keep their chain slots.
constexpr std::int32_t kBlock = 1 << 18;
constexpr std::int32_t kPad = 8;
// Hash tables: 64 Ki heads for a long input, fewer for a small file.
constexpr int kMinTableBits = 11;
constexpr int kMaxTableBits = 16;

}  // namespace

LzParser::LzParser(const ParseParams& p, std::size_t input_bound)
    : p_(p),
      window_(std::int32_t{1} << p.dict_bits),
      reach_(p.max_distance > 0 ? std::min(window_, p.max_distance + 1) : window_),
      mask_(window_ - 1) {
    const std::size_t span = std::min(input_bound, static_cast<std::size_t>(window_ + kBlock));
    int span_bits = kMinTableBits;
    while ((std::size_t{1} << span_bits) < span) ++span_bits;
    // As many heads as positions: with half as many, a small file's searches spent a good part
    // of their steps on other keys sharing a chain, which cost more than clearing the table.
    const int bits = std::min(span_bits, kMaxTableBits);
    hash_shift_ = 32 - bits;
    // Links are followed only within reach: a slot may be taken over once its position is out
    // of it, so ARJ's shorter reach halves the links and more of them stay in the L1 cache.
    int reach_bits = 0;
    while ((std::int32_t{1} << reach_bits) < reach_) ++reach_bits;
    slot_mask_ = (std::int32_t{1} << std::min(span_bits, reach_bits)) - 1;
    buf_size_ = static_cast<std::int32_t>(span) + p.max_match + kPad;
    buf_ = std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(buf_size_));
    head_.assign(std::size_t{1} << bits, kNil);
    prev_ =
        std::make_unique_for_overwrite<std::int32_t[]>(static_cast<std::size_t>(slot_mask_) + 1);
    head3_.assign(std::size_t{1} << bits, kNil);
    prev3_.assign(static_cast<std::size_t>(kNearMask + 1), kNil);
}

bool LzParser::fill(Source& in) {
    if (pos_ > window_) {
        std::int32_t shift = (pos_ - window_) & ~mask_;
        if (shift > 0) {
            std::memmove(buf_.get(), buf_.get() + shift, static_cast<std::size_t>(end_ - shift));
            pos_ -= shift;
            end_ -= shift;
            auto rebase = [shift](std::int32_t& v) { v = v >= shift ? v - shift : kNil; };
            std::for_each(head_.begin(), head_.end(), rebase);
            std::for_each(prev_.get(), prev_.get() + slot_mask_ + 1, rebase);
            std::for_each(head3_.begin(), head3_.end(), rebase);
            std::for_each(prev3_.begin(), prev3_.end(), rebase);
        }
    }
    const std::int32_t cap = buf_size_ - kPad;
    while (!eof_ && end_ < cap) {
        std::ptrdiff_t got = in.read(buf_.get() + end_, static_cast<std::size_t>(cap - end_));
        if (got < 0) return false;
        if (got == 0) {
            eof_ = true;
            break;
        }
        end_ += static_cast<std::int32_t>(got);
    }
    // Hashing and comparing read a few bytes past the end: keep them defined and unmatched.
    std::memset(buf_.get() + end_, 0, static_cast<std::size_t>(kPad));
    return true;
}

}  // namespace quorvex6::backend::codecs::lh
