// LZ77 parse shared by the LH encoders: hash chains over a sliding buffer and one-step lazy
// evaluation (a match is deferred when the next position starts a longer one). The long chains
// link positions that share four bytes, so that a search does not wade through three-byte
// matches it cannot use; a length-3 match, worth taking only when near, comes from short
// chains over the last KiB.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "codecs/codec.h"

namespace quorvex6::backend::codecs::lh {

struct ParseParams {
    int dict_bits;
    int max_match;
    int max_chain;         // candidates tried per position
    int nice_length;       // a match this long ends the search
    int lazy_length;       // a match this long is taken without looking one position ahead
    int good_length;       // with a match this long in hand, a quarter of the chain is searched
    int far_three;         // length-3 matches farther than this cost more than three literals
    int max_distance = 0;  // the farthest match a reader can follow; 0 for the whole window
};

class LzParser {
  public:
    // `input_bound`: the input is never longer; the buffer and tables shrink to fit it, which
    // spares small files the cost of preparing tables for a whole window.
    explicit LzParser(const ParseParams& p, std::size_t input_bound = SIZE_MAX);

    // Reads `in` to its end and reports the parse in order: out.literal(byte) and
    // out.match(length, distance). The first `history` bytes (at most the window) were coded
    // before: matches may refer to them, but they are not reported. Returns read_failed or
    // what out.failed() asks for.
    template <class Out>
    Status run(Source& in, Out& out, std::int32_t history = 0);

  private:
    static constexpr int kMinMatch = 3;
    static constexpr std::int32_t kNil = -1;
    // Length-3 matches are looked for this near at most; the near chains keep this much.
    static constexpr std::int32_t kNearMask = 1023;
    static constexpr int kNearChain = 16;
    // Where searches keep failing (packed or random data) they are spread out, one more byte
    // apart for every 128 failures, up to 32 bytes; every position still enters the chains, so
    // a repeat of such data is found a few bytes into it.
    static constexpr int kBarrenShift = 7;
    static constexpr int kMaxStride = 32;

    // Bytes in common from the start, up to limit; eight at a time.
    static int common_prefix(const std::uint8_t* a, const std::uint8_t* b, int limit) {
        int len = 0;
        while (len + 8 <= limit) {
            std::uint64_t x, y;
            std::memcpy(&x, a + len, 8);
            std::memcpy(&y, b + len, 8);
            if (x != y) {
                const std::uint64_t d = x ^ y;
                const int bits = std::endian::native == std::endian::little ? std::countr_zero(d)
                                                                            : std::countl_zero(d);
                return len + bits / 8;
            }
            len += 8;
        }
        while (len < limit && a[len] == b[len]) ++len;
        return len;
    }
    static std::uint32_t hash4(std::uint32_t v, int shift) { return (v * 0x9E3779B1u) >> shift; }
    static std::uint32_t hash3(std::uint32_t v, int shift) {
        return ((v & 0xffffffu) * 0x9E3779B1u) >> shift;
    }
    // The chains' arrays, keys and search limits, copied into the parse loop: stores into the
    // chains cannot then alias them, and the compiler keeps them in registers instead of
    // loading each member again after every store.
    struct Chains {
        const std::uint8_t* buf;
        std::int32_t* head;
        std::int32_t* prev;
        std::int32_t* head3;
        std::int32_t* prev3;
        int hash_shift;
        std::int32_t slot_mask;
        std::int32_t reach;
        int max_match;
        int max_chain;
        int nice_length;
        int good_length;
        std::int32_t near_reach;

        std::uint32_t load(std::int32_t pos) const {
            std::uint32_t v;
            std::memcpy(&v, buf + pos, 4);
            return v;
        }
        // Longest match at pos, before `end`, that beats `best`; returns its length (0 when
        // none), distance in dist. `first`: the four bytes at pos.
        int longest(std::int32_t pos, std::int32_t end, std::uint32_t first, int best,
                    std::int32_t& dist) const;

        void insert(std::int32_t pos) const { insert(pos, load(pos)); }
        // `v`: the position's first four bytes, when the caller has them already.
        void insert(std::int32_t pos, std::uint32_t v) const {
            insert_long(pos, v);
            const std::uint32_t h3 = hash3(v, hash_shift);
            prev3[pos & kNearMask] = head3[h3];
            head3[h3] = pos;
        }
        // Into the long chains only.
        void insert_long(std::int32_t pos, std::uint32_t v) const {
            const std::uint32_t h = hash4(v, hash_shift);
            prev[pos & slot_mask] = head[h];
            head[h] = pos;
        }
    };
    Chains chains() {
        return {buf_.get(),
                head_.data(),
                prev_.get(),
                head3_.data(),
                prev3_.data(),
                hash_shift_,
                slot_mask_,
                reach_,
                p_.max_match,
                p_.max_chain,
                p_.nice_length,
                p_.good_length,
                std::min(p_.far_three, kNearMask + 1)};
    }
    // Moves the buffer down and tops it up; false on a read error.
    bool fill(Source& in);

    ParseParams p_;
    std::int32_t window_;
    std::int32_t reach_;  // candidates must lie nearer than this
    std::int32_t mask_;
    std::int32_t slot_mask_;  // chain slots: the window, or less when the input is shorter
    int hash_shift_;
    // Left unfilled as well: only bytes read in, and the padding after them, are ever looked at.
    std::unique_ptr<std::uint8_t[]> buf_;
    std::int32_t buf_size_;
    std::vector<std::int32_t> head_;
    // Left unfilled: a slot is read only through a chain, after its position wrote it; by the
    // first move of the buffer every slot has been written.
    std::unique_ptr<std::int32_t[]> prev_;
    std::vector<std::int32_t> head3_;
    std::vector<std::int32_t> prev3_;
    std::int32_t pos_ = 0;
    std::int32_t end_ = 0;
    bool eof_ = false;
};

// In the header: the parse loop calls it for nearly every position, and the call's setup cost
// as much as a short walk.
inline int LzParser::Chains::longest(std::int32_t pos, std::int32_t end, std::uint32_t first,
                                     int best, std::int32_t& dist) const {
    const std::uint8_t* here = buf + pos;
    const int limit = std::min<int>(max_match, end - pos);
    if (best >= limit) return 0;
    const int nice = std::min(nice_length, limit);
    int chain = best >= good_length ? max_chain >> 2 : max_chain;
    int found = 0;
    std::int32_t found_at = 0;
    std::int32_t cur = limit > kMinMatch ? head[hash4(first, hash_shift)] : kNil;
    // A candidate must agree on its first four bytes (the chains' key) and on the four ending
    // one past the best length so far: one compare each rejects most of them.
    std::int32_t tail_at = std::max(best - 3, 0);
    std::uint32_t tail = load(pos + tail_at);
    // Past the window or the chain's end (kNil) alike.
    const std::int32_t low = std::max(pos - reach, kNil);
    while (cur > low && chain-- > 0) {
        if (load(cur + tail_at) == tail && load(cur) == first) {
            const int len = common_prefix(here, buf + cur, limit);
            if (len > best) {
                best = len;
                found = len;
                found_at = cur;
                if (len >= nice) break;
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
        cur = head3[hash3(first, hash_shift)];
        for (int left = kNearChain; cur >= 0 && pos - cur <= near_reach && left > 0; --left) {
            if (((load(cur) ^ first) & 0xffffffu) == 0) {
                dist = pos - cur;
                return common_prefix(here, buf + cur, limit);
            }
            cur = prev3[static_cast<std::size_t>(cur & kNearMask)];
        }
    }
    return 0;
}

template <class Out>
Status LzParser::run(Source& in, Out& out, std::int32_t history) {
    const std::int32_t lookahead = p_.max_match + kMinMatch + 1;
    int prev_len = 0;
    std::int32_t prev_dist = 0;
    bool pending = false;
    int barren = 0;  // searches in a row that found nothing
    int skip = 0;    // positions left before the next search
    if (!fill(in)) return Status::kReadFailed;
    const Chains chains = this->chains();
    for (history = std::min(history, end_); pos_ < history; ++pos_) {
        if (end_ - pos_ >= kMinMatch) chains.insert(pos_);
    }
    // The position and end in locals between refills: stores into the chains could alias the
    // members and force a reload of each on every byte.
    std::int32_t pos = pos_;
    std::int32_t end = end_;
    const std::uint8_t* const buf = buf_.get();
    const int lazy_length = p_.lazy_length;
    const int far_three = p_.far_three;
    while (pos < end) {
        if (end - pos < lookahead && !eof_) {
            // A failed sink is looked for here and at the end, not at every byte: that load
            // cost more than a percent, and a refill comes at least every 256 KiB.
            if (out.failed()) return Status::kWriteFailed;
            pos_ = pos;
            if (!fill(in)) return Status::kReadFailed;
            pos = pos_;
            end = end_;
        }
        int len = 0;
        std::int32_t dist = 0;
        if (end - pos >= kMinMatch) {
            std::uint32_t v;
            std::memcpy(&v, buf + pos, 4);
            if (skip > 0) {
                // Skipped over: only long repeats of such data are worth finding later.
                --skip;
                chains.insert_long(pos, v);
            } else {
                if (prev_len < lazy_length) {
                    len = chains.longest(pos, end, v,
                                         prev_len > kMinMatch - 1 ? prev_len : kMinMatch - 1, dist);
                    if (len == kMinMatch && dist > far_three) len = 0;
                    barren = len == 0 && prev_len == 0 ? barren + 1 : 0;
                    skip = std::min(barren >> kBarrenShift, kMaxStride - 1);
                }
                chains.insert(pos, v);
            }
        }
        if (prev_len >= kMinMatch && len <= prev_len) {
            out.match(prev_len, prev_dist);
            // pos - 1 started the match and pos is already in the chains.
            const std::int32_t stop = pos - 1 + prev_len;
            const std::int32_t last_key = std::min(stop, end - kMinMatch + 1);
            for (++pos; pos < last_key; ++pos) chains.insert(pos);
            pos = stop;
            prev_len = 0;
            pending = false;
        } else {
            if (pending) out.literal(buf[pos - 1]);
            pending = true;
            prev_len = len;
            prev_dist = dist;
            ++pos;
        }
    }
    pos_ = pos;
    if (pending) out.literal(buf[pos - 1]);
    if (out.failed()) return Status::kWriteFailed;
    // Input beyond input_bound would otherwise be dropped without a word.
    return eof_ ? Status::kOk : Status::kReadFailed;
}

}  // namespace quorvex6::backend::codecs::lh
