#include "codecs/deflate/deflate_blocks.h"

#include <array>

namespace quorvex6::backend::codecs::deflate {

namespace {

constexpr int kMaxBits = 15;
constexpr int kTableBits = 10;  // codes up to this long are looked up at once

// Bits in deflate's order (least significant first), 64 at a time. Reading past the end sets
// failed() and yields zeros.
class BitReader {
  public:
    BitReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint32_t peek(int n) {
        while (have_ <= 56 && next_ < size_) {
            buffer_ |= static_cast<std::uint64_t>(data_[next_++]) << have_;
            have_ += 8;
        }
        return static_cast<std::uint32_t>(buffer_ & ((std::uint64_t{1} << n) - 1));
    }
    void consume(int n) {
        if (n > have_) {
            failed_ = true;
            n = have_;
        }
        buffer_ >>= n;
        have_ -= n;
    }
    std::uint32_t bits(int n) {
        std::uint32_t value = peek(n);
        consume(n);
        return value;
    }
    void align() { consume(have_ % 8); }
    void skip_bytes(std::size_t n) {
        std::size_t held = static_cast<std::size_t>(have_ / 8);
        if (n <= held) {
            consume(static_cast<int>(n * 8));
            return;
        }
        consume(have_);
        n -= held;
        if (n > size_ - next_) failed_ = true;
        next_ += std::min(n, size_ - next_);
    }
    std::size_t pos() const { return next_ * 8 - static_cast<std::size_t>(have_); }
    bool failed() const { return failed_; }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t next_ = 0;
    std::uint64_t buffer_ = 0;
    int have_ = 0;
    bool failed_ = false;
};

// A canonical Huffman code: how many codes of each length, the symbols in code order, and a
// table of the codes up to kTableBits long by their bits as they come (0 where longer).
struct Huffman {
    std::array<std::uint16_t, kMaxBits + 1> count{};
    std::array<std::uint16_t, 320> symbol{};
    std::array<std::uint16_t, 1 << kTableBits> fast{};  // symbol << 4 | length
};

// Which incomplete sets a code may be: inflaters differ here, and zlib, which most readers
// are or follow, allows none for code lengths and, for symbols, only one code of one bit or
// no code at all (a block without matches). ISA-L allows any.
enum class Gaps { kNone, kLoneCode };

// Counts the lengths; false for a set zlib would not build.
bool count(Huffman& h, const std::uint8_t* lengths, int n, Gaps gaps) {
    h.count.fill(0);
    for (int s = 0; s < n; ++s) ++h.count[lengths[s]];
    h.count[0] = 0;
    int left = 1, longest = 0;
    for (int len = 1; len <= kMaxBits; ++len) {
        left = (left << 1) - h.count[len];
        if (left < 0) return false;  // more codes than the lengths allow
        if (h.count[len] != 0) longest = len;
    }
    return left == 0 || (gaps == Gaps::kLoneCode && longest <= 1);
}

// The symbols and the table, from counted lengths: what decoding needs.
void index(Huffman& h, const std::uint8_t* lengths, int n) {
    std::array<std::uint16_t, kMaxBits + 1> offset{};
    for (int len = 1; len < kMaxBits; ++len) offset[len + 1] = offset[len] + h.count[len];
    for (int s = 0; s < n; ++s)
        if (lengths[s] != 0) h.symbol[offset[lengths[s]]++] = static_cast<std::uint16_t>(s);
    h.fast.fill(0);
    int code = 0, index = 0;
    for (int len = 1; len <= kTableBits; ++len, code <<= 1) {
        for (int k = 0; k < h.count[len]; ++k, ++code, ++index) {
            int reversed = 0;
            for (int b = 0; b < len; ++b) reversed |= ((code >> b) & 1) << (len - 1 - b);
            for (int fill = reversed; fill < (1 << kTableBits); fill += 1 << len)
                h.fast[fill] = static_cast<std::uint16_t>(h.symbol[index] << 4 | len);
        }
    }
}

bool build(Huffman& h, const std::uint8_t* lengths, int n, Gaps gaps) {
    if (!count(h, lengths, n, gaps)) return false;
    index(h, lengths, n);
    return true;
}

int decode(BitReader& in, const Huffman& h) {
    std::uint32_t bits = in.peek(kMaxBits);
    std::uint16_t entry = h.fast[bits & ((1u << kTableBits) - 1)];
    if (entry != 0) {
        in.consume(entry & 15);
        return in.failed() ? -1 : entry >> 4;
    }
    int code = 0, first = 0, index = 0;  // a longer code, canonically
    for (int len = 1; len <= kMaxBits; ++len) {
        code |= static_cast<int>((bits >> (len - 1)) & 1);
        int count = h.count[len];
        if (code - count < first) {
            in.consume(len);
            return in.failed() ? -1 : h.symbol[index + (code - first)];
        }
        index += count;
        first = (first + count) << 1;
        code <<= 1;
    }
    return -1;
}

constexpr std::uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                             6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

bool walk_symbols(BitReader& in, const Huffman& lit, const Huffman& dist) {
    for (;;) {
        int s = decode(in, lit);
        if (s < 0) return false;
        if (s == 256) return !in.failed();
        if (s < 256) continue;
        s -= 257;
        if (s >= 29) return false;
        in.bits(kLengthExtra[s]);
        int d = decode(in, dist);
        if (d < 0 || d >= 30) return false;
        in.bits(kDistanceExtra[d]);
    }
}

void fixed_codes(Huffman& lit, Huffman& dist) {
    std::uint8_t lengths[288];
    for (int s = 0; s < 288; ++s) lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
    // All 32 five-bit codes, so the set is complete; 30 and 31 are refused where read.
    std::uint8_t distances[32];
    for (auto& d : distances) d = 5;
    build(lit, lengths, 288, Gaps::kNone);
    build(dist, distances, 32, Gaps::kNone);
}

// Why a walk stopped short: a code zlib would not build, or anything else (damage, or the
// data running out), which an inflater finds for itself.
enum class Walk { kDone, kRefusedCode, kBroken };

// With `tables` false only the header is checked, nothing made to decode the block with.
Walk dynamic_codes(BitReader& in, Huffman& lit, Huffman& dist, bool tables) {
    static constexpr std::uint8_t kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                11, 4,  12, 3, 13, 2, 14, 1, 15};
    int nlen = static_cast<int>(in.bits(5)) + 257, ndist = static_cast<int>(in.bits(5)) + 1;
    int ncode = static_cast<int>(in.bits(4)) + 4;
    if (nlen > 286 || ndist > 30) return Walk::kBroken;
    std::uint8_t lengths[320] = {};
    for (int i = 0; i < ncode; ++i) lengths[kOrder[i]] = static_cast<std::uint8_t>(in.bits(3));
    if (in.failed()) return Walk::kBroken;
    Huffman code_lengths;
    if (!build(code_lengths, lengths, 19, Gaps::kNone)) return Walk::kRefusedCode;
    int i = 0;
    while (i < nlen + ndist) {
        int s = decode(in, code_lengths);
        if (s < 0) return Walk::kBroken;
        if (s < 16) {
            lengths[i++] = static_cast<std::uint8_t>(s);
            continue;
        }
        std::uint8_t value = 0;
        int repeat;
        if (s == 16) {
            if (i == 0) return Walk::kBroken;
            value = lengths[i - 1];
            repeat = 3 + static_cast<int>(in.bits(2));
        } else if (s == 17) {
            repeat = 3 + static_cast<int>(in.bits(3));
        } else {
            repeat = 11 + static_cast<int>(in.bits(7));
        }
        if (i + repeat > nlen + ndist) return Walk::kBroken;
        while (repeat-- > 0) lengths[i++] = value;
    }
    if (in.failed()) return Walk::kBroken;
    if (lengths[256] == 0 || !count(lit, lengths, nlen, Gaps::kLoneCode) ||
        !count(dist, lengths + nlen, ndist, Gaps::kLoneCode))
        return Walk::kRefusedCode;
    if (tables) {
        index(lit, lengths, nlen);
        index(dist, lengths + nlen, ndist);
    }
    return Walk::kDone;
}

// Reads blocks up to the final one; with `final_symbols` false the final block's header is the
// last thing read.
Walk walk_blocks(const std::uint8_t* data, std::size_t size, bool final_symbols, StreamEnd& end) {
    BitReader in(data, size);
    Huffman lit, dist;
    for (;;) {
        end.last_block_bit = in.pos();
        bool last = in.bits(1) != 0;
        bool walk = !last || final_symbols;
        switch (in.bits(2)) {
            case 0: {
                in.align();
                std::uint32_t len = in.bits(16), nlen = in.bits(16);
                if ((len ^ 0xFFFF) != nlen) return Walk::kBroken;
                if (walk) in.skip_bytes(len);
                break;
            }
            case 1:
                fixed_codes(lit, dist);
                if (walk && !walk_symbols(in, lit, dist)) return Walk::kBroken;
                break;
            case 2:
                if (Walk codes = dynamic_codes(in, lit, dist, walk); codes != Walk::kDone)
                    return codes;
                if (walk && !walk_symbols(in, lit, dist)) return Walk::kBroken;
                break;
            default:
                return Walk::kBroken;
        }
        if (in.failed()) return Walk::kBroken;
        if (last) {
            end.end_bit = in.pos();
            return Walk::kDone;
        }
    }
}

}  // namespace

std::optional<StreamEnd> FindStreamEnd(const std::uint8_t* data, std::size_t size) {
    StreamEnd end;
    if (walk_blocks(data, size, true, end) != Walk::kDone) return std::nullopt;
    return end;
}

bool CodeSetsAccepted(const std::uint8_t* data, std::size_t size) {
    StreamEnd end;
    return walk_blocks(data, size, false, end) != Walk::kRefusedCode;
}

}  // namespace quorvex6::backend::codecs::deflate
