#include "codecs/lh/lz_parser.h"

#include <algorithm>

namespace quorvex6::backend::codecs::lh {

namespace {
// Fresh bytes per refill; a multiple of every window so that positions keep their chain slots.
constexpr std::int32_t kBlock = 1 << 18;
constexpr std::int32_t kPad = 8;
// Hash tables: 64 Ki heads for a window's worth of input, fewer for a small file.
constexpr int kMinTableBits = 11;
constexpr int kMaxTableBits = 16;

int common_prefix(const std::uint8_t* a, const std::uint8_t* b, int limit) {
    int len = 0;
    while (len + 8 <= limit) {
        std::uint64_t x, y;
        std::memcpy(&x, a + len, 8);
        std::memcpy(&y, b + len, 8);
        if (x != y) return len + (__builtin_ctzll(x ^ y) >> 3);
        len += 8;
    }
    while (len < limit && a[len] == b[len]) ++len;
    return len;
}
}  // namespace

LzParser::LzParser(const ParseParams& p, std::size_t input_bound)
    : p_(p),
      window_(std::int32_t{1} << p.dict_bits),
      reach_(p.max_distance > 0 ? std::min(window_, p.max_distance + 1) : window_),
      mask_(window_ - 1) {
    const std::size_t span = std::min(input_bound, static_cast<std::size_t>(window_ + kBlock));
    int span_bits = kMinTableBits;
    while ((std::size_t{1} << span_bits) < span) ++span_bits;
    // Half as many heads as positions: the chains sort out the few extra collisions.
    const int bits = std::min(span_bits - 1, kMaxTableBits);
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

int LzParser::longest(std::int32_t pos, std::uint32_t first, int best, std::int32_t& dist) const {
    const std::uint8_t* base = buf_.get();
    const std::uint8_t* here = base + pos;
    const int limit = std::min<int>(p_.max_match, end_ - pos);
    if (best >= limit) return 0;
    // Locals, not members, in the walk: the store to `dist` could alias a member and force a
    // reload of each one every step.
    const std::int32_t* prev = prev_.get();
    const std::int32_t slot_mask = slot_mask_;
    const int nice_length = std::min(p_.nice_length, limit);
    int chain = best >= p_.good_length ? p_.max_chain >> 2 : p_.max_chain;
    int found = 0;
    std::int32_t found_at = 0;
    std::int32_t cur = limit > kMinMatch ? head_[hash4(first, hash_shift_)] : kNil;
    // A candidate must agree on its first four bytes (the chains' key) and on the four ending
    // one past the best length so far: one compare each rejects most of them.
    std::int32_t tail_at = std::max(best - 3, 0);
    std::uint32_t tail = load(pos + tail_at);
    // Past the window or the chain's end (kNil) alike.
    const std::int32_t low = std::max(pos - reach_, kNil);
    while (cur > low && chain-- > 0) {
        if (load(cur + tail_at) == tail && load(cur) == first) {
            const int len = common_prefix(here, base + cur, limit);
            if (len > best) {
                best = len;
                found = len;
                found_at = cur;
                if (len >= nice_length) break;
                tail_at = best - 3;
                tail = load(pos + tail_at);
            }
        }
        cur = prev[static_cast<std::size_t>(cur & slot_mask)];
    }
    if (found > 0) {
        dist = pos - found_at;
        return found;
    }
    if (best < kMinMatch) {
        const std::int32_t near_reach = std::min(p_.far_three, kNearMask + 1);
        cur = head3_[hash3(first, hash_shift_)];
        for (int left = kNearChain; cur >= 0 && pos - cur <= near_reach && left > 0; --left) {
            if (((load(cur) ^ first) & 0xffffffu) == 0) {
                dist = pos - cur;
                return common_prefix(here, base + cur, limit);
            }
            cur = prev3_[static_cast<std::size_t>(cur & kNearMask)];
        }
    }
    return 0;
}

}  // namespace quorvex6::backend::codecs::lh
