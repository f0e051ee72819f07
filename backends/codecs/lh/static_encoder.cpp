// lh5..lh7 encoder: the LZ parse is collected into blocks; each block gets the Huffman codes
// that are optimal for its own symbol counts.
#include "codecs/lh/codecs.h"

#include "codecs/lh/bit_writer.h"
#include "codecs/lh/huffman_decoder.h"
#include "codecs/lh/huffman_encoder.h"
#include "codecs/lh/lz_parser.h"

#include <array>
#include <vector>

namespace quorvex6::codecs::lh {

namespace {

// Symbols per block: long enough that the tables cost little, short enough to follow the data.
constexpr std::size_t kBlockSymbols = 0x8000;

// Search effort, tuned on C headers and mixed binaries to beat the reference LHA packer's size
// at a fraction of its time: deep chains, always one step of lazy evaluation, and no length-3
// match beyond 1 KiB (its offset bits cost more than three literals).
constexpr ParseParams kParse(int dict_bits) {
    return {dict_bits, kMaxMatch, 256, kMaxMatch, kMaxMatch, 32, 1024};
}

int bit_length(std::uint32_t v) { return v == 0 ? 0 : 32 - __builtin_clz(v); }

class BlockWriter {
public:
    BlockWriter(const StaticParams& p, Sink& out, std::uint64_t limit)
        : params_(p), bits_(out), limit_(limit) {
        codes_.reserve(kBlockSymbols);
        dists_.reserve(kBlockSymbols);
    }

    void literal(std::uint8_t b) { push(b, 0); }
    void match(int length, std::int32_t distance) {
        push(static_cast<std::uint16_t>(kLiteralCodes + length - kMinMatch),
             static_cast<std::uint32_t>(distance - 1));
    }
    bool failed() const { return bits_.failed() || over_; }
    bool over_limit() const { return over_; }

    Status finish() {
        if (!codes_.empty()) flush();
        if (over_) return Status::expanded;
        return bits_.finish() ? Status::ok : Status::write_failed;
    }

private:
    void push(std::uint16_t code, std::uint32_t dist) {
        codes_.push_back(code);
        dists_.push_back(dist);
        if (codes_.size() == kBlockSymbols) flush();
    }

    void write_small_lengths(const std::uint8_t* len, int count, int count_bits, int skip_after) {
        int n = count;
        while (n > 0 && len[n - 1] == 0) --n;
        bits_.put(count_bits, static_cast<std::uint32_t>(n));
        int i = 0;
        while (i < n) {
            int k = len[i++];
            if (k <= 6) {
                bits_.put(3, static_cast<std::uint32_t>(k));
            } else {
                bits_.put(k - 3, (1u << (k - 3)) - 2);
            }
            if (i == skip_after) {
                while (i < 6 && len[i] == 0) ++i;
                bits_.put(2, static_cast<std::uint32_t>(i - 3));
            }
        }
    }

    // The code lengths as a stream over the 19-symbol length alphabet: 0 one zero,
    // 1 + 4 bits 3..18 zeros, 2 + 9 bits 20.. zeros, k + 2 a length of k.
    template <class Emit>
    static void walk_code_lengths(const std::uint8_t* len, int n, Emit emit) {
        for (int i = 0; i < n;) {
            if (len[i] != 0) {
                emit(len[i] + 2, 0, 0);
                ++i;
                continue;
            }
            int run = 1;
            while (i + run < n && len[i + run] == 0) ++run;
            i += run;
            if (run <= 2) {
                for (int r = 0; r < run; ++r) emit(0, 0, 0);
            } else if (run <= 18) {
                emit(1, 4, run - 3);
            } else if (run == 19) {
                emit(0, 0, 0);
                emit(1, 4, 15);
            } else {
                emit(2, kCodeCountBits, run - 20);
            }
        }
    }

    void flush() {
        std::array<std::uint32_t, kCodeCount> cfreq{};
        std::array<std::uint32_t, 17> pfreq{};
        for (std::size_t i = 0; i < codes_.size(); ++i) {
            ++cfreq[codes_[i]];
            if (codes_[i] >= kLiteralCodes) ++pfreq[static_cast<std::size_t>(bit_length(dists_[i]))];
        }
        std::array<std::uint8_t, kCodeCount> clen{};
        std::array<std::uint16_t, kCodeCount> ccode{};
        std::array<std::uint8_t, 17> plen{};
        std::array<std::uint16_t, 17> pcode{};
        int cused = build_lengths(cfreq.data(), kCodeCount, kMaxCodeBits, clen.data());
        int pused = build_lengths(pfreq.data(), params_.offset_codes, kMaxCodeBits, plen.data());
        assign_codes(clen.data(), kCodeCount, ccode.data());
        assign_codes(plen.data(), params_.offset_codes, pcode.data());

        bits_.put(16, static_cast<std::uint32_t>(codes_.size()));
        if (cused > 1) {
            int n = kCodeCount;
            while (n > 0 && clen[static_cast<std::size_t>(n - 1)] == 0) --n;
            std::array<std::uint32_t, kLengthCodes> tfreq{};
            walk_code_lengths(clen.data(), n, [&](int sym, int, int) { ++tfreq[static_cast<std::size_t>(sym)]; });
            std::array<std::uint8_t, kLengthCodes> tlen{};
            std::array<std::uint16_t, kLengthCodes> tcode{};
            int tused = build_lengths(tfreq.data(), kLengthCodes, kMaxCodeBits, tlen.data());
            assign_codes(tlen.data(), kLengthCodes, tcode.data());
            if (tused > 1) {
                write_small_lengths(tlen.data(), kLengthCodes, kLengthCountBits, 3);
            } else {
                bits_.put(kLengthCountBits, 0);
                bits_.put(kLengthCountBits, static_cast<std::uint32_t>(only(tfreq.data(), kLengthCodes)));
            }
            bits_.put(kCodeCountBits, static_cast<std::uint32_t>(n));
            walk_code_lengths(clen.data(), n, [&](int sym, int extra_bits, int extra) {
                bits_.put(tlen[static_cast<std::size_t>(sym)], tcode[static_cast<std::size_t>(sym)]);
                bits_.put(extra_bits, static_cast<std::uint32_t>(extra));
            });
        } else {
            bits_.put(kLengthCountBits, 0);
            bits_.put(kLengthCountBits, 0);
            bits_.put(kCodeCountBits, 0);
            bits_.put(kCodeCountBits, static_cast<std::uint32_t>(only(cfreq.data(), kCodeCount)));
        }
        if (pused > 1) {
            write_small_lengths(plen.data(), params_.offset_codes, params_.offset_bits, -1);
        } else {
            bits_.put(params_.offset_bits, 0);
            bits_.put(params_.offset_bits,
                      static_cast<std::uint32_t>(pused == 1 ? only(pfreq.data(), params_.offset_codes) : 0));
        }
        for (std::size_t i = 0; i < codes_.size(); ++i) {
            std::uint16_t c = codes_[i];
            bits_.put(clen[c], ccode[c]);
            if (c < kLiteralCodes) continue;
            std::uint32_t d = dists_[i];
            int p = bit_length(d);
            bits_.put(plen[static_cast<std::size_t>(p)], pcode[static_cast<std::size_t>(p)]);
            if (p > 1) bits_.put(p - 1, d & ((1u << (p - 1)) - 1));
        }
        codes_.clear();
        dists_.clear();
        if (bits_.written() > limit_) over_ = true;
    }

    static int only(const std::uint32_t* freq, int count) {
        for (int i = 0; i < count; ++i) {
            if (freq[i] != 0) return i;
        }
        return 0;
    }

    StaticParams params_;
    BitWriter bits_;
    std::uint64_t limit_;
    bool over_ = false;
    std::vector<std::uint16_t> codes_;
    std::vector<std::uint32_t> dists_;
};

class StaticEncoder final : public Encoder {
public:
    explicit StaticEncoder(const StaticParams& p) : params_(p) {}

    Status encode(Source& in, Sink& out, std::uint64_t limit) override {
        LzParser parser(kParse(params_.dict_bits));
        BlockWriter writer(params_, out, limit);
        Status s = parser.run(in, writer);
        if (s == Status::write_failed && writer.over_limit()) return Status::expanded;
        if (s != Status::ok) return s;
        return writer.finish();
    }

private:
    StaticParams params_;
};

}  // namespace

std::unique_ptr<Encoder> make_static_encoder(const StaticParams& params) {
    return std::make_unique<StaticEncoder>(params);
}

}  // namespace quorvex6::codecs::lh
