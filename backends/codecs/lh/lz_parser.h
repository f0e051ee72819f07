// LZ77 parse shared by the LH encoders: hash chains over a sliding buffer and one-step lazy
// evaluation (a match is deferred when the next position starts a longer one).
#ifndef QV_CODECS_LH_LZ_PARSER_H
#define QV_CODECS_LH_LZ_PARSER_H

#include "codecs/codec.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace quorvex6::codecs::lh {

struct ParseParams {
    int dict_bits;
    int max_match;
    int max_chain;    // candidates tried per position
    int nice_length;  // a match this long ends the search
    int lazy_length;  // a match this long is taken without looking one position ahead
    int good_length;  // with a match this long in hand, a quarter of the chain is searched
    int far_three;    // length-3 matches farther than this cost more than three literals
};

class LzParser {
public:
    explicit LzParser(const ParseParams& p);

    // Reads `in` to its end and reports the parse in order: out.literal(byte) and
    // out.match(length, distance). Returns read_failed or what out.failed() asks for.
    template <class Out>
    Status run(Source& in, Out& out);

private:
    static constexpr int kHashBits = 16;
    static constexpr int kMinMatch = 3;
    static constexpr std::int32_t kNil = -1;

    std::uint32_t hash(std::int32_t pos) const {
        std::uint32_t v;
        std::memcpy(&v, buf_.data() + pos, 4);
        return ((v & 0xffffffu) * 0x9E3779B1u) >> (32 - kHashBits);
    }
    void insert(std::int32_t pos) {
        std::uint32_t h = hash(pos);
        prev_[static_cast<std::size_t>(pos & mask_)] = head_[h];
        head_[h] = pos;
    }
    // Longest match at pos that beats `best`; returns its length (0 when none), distance in dist.
    int longest(std::int32_t pos, int best, std::int32_t& dist) const;
    // Moves the buffer down and tops it up; false on a read error.
    bool fill(Source& in);

    ParseParams p_;
    std::int32_t window_;
    std::int32_t mask_;
    std::vector<std::uint8_t> buf_;
    std::vector<std::int32_t> head_;
    std::vector<std::int32_t> prev_;
    std::int32_t pos_ = 0;
    std::int32_t end_ = 0;
    bool eof_ = false;
};

template <class Out>
Status LzParser::run(Source& in, Out& out) {
    const std::int32_t lookahead = p_.max_match + kMinMatch + 1;
    int prev_len = 0;
    std::int32_t prev_dist = 0;
    bool pending = false;
    if (!fill(in)) return Status::read_failed;
    while (pos_ < end_) {
        if (end_ - pos_ < lookahead && !eof_) {
            if (!fill(in)) return Status::read_failed;
        }
        const std::int32_t avail = end_ - pos_;
        int len = 0;
        std::int32_t dist = 0;
        if (avail >= kMinMatch) {
            if (prev_len < p_.lazy_length) {
                len = longest(pos_, prev_len > kMinMatch - 1 ? prev_len : kMinMatch - 1, dist);
                if (len == kMinMatch && dist > p_.far_three) len = 0;
            }
            insert(pos_);
        }
        if (prev_len >= kMinMatch && len <= prev_len) {
            out.match(prev_len, prev_dist);
            // pos_ - 1 started the match and pos_ is already in the chains.
            std::int32_t stop = pos_ - 1 + prev_len;
            for (++pos_; pos_ < stop; ++pos_) {
                if (end_ - pos_ >= kMinMatch) insert(pos_);
            }
            prev_len = 0;
            pending = false;
        } else {
            if (pending) out.literal(buf_[static_cast<std::size_t>(pos_ - 1)]);
            pending = true;
            prev_len = len;
            prev_dist = dist;
            ++pos_;
        }
        if (out.failed()) return Status::write_failed;
    }
    if (pending) out.literal(buf_[static_cast<std::size_t>(pos_ - 1)]);
    return Status::ok;
}

}  // namespace quorvex6::codecs::lh

#endif
