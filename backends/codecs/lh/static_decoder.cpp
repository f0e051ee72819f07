// lh4..lh7: blocks of LZ77 symbols under static Huffman codes sent at each block's start.
#include <array>

#include "codecs/lh/bit_reader.h"
#include "codecs/lh/codecs.h"
#include "codecs/lh/huffman_decoder.h"
#include "codecs/lh/methods.h"
#include "codecs/lh/output_window.h"

namespace quorvex6::backend::codecs::lh {

namespace {

class StaticDecoder final : public Decoder {
  public:
    explicit StaticDecoder(const StaticParams& p)
        : params_(p), codes_(12), lengths_(8), offsets_(8) {}

    Status decode(Source& in, std::uint64_t packed_size, std::uint64_t unpacked_size,
                  Sink& out) override {
        BitReader bits(in, packed_size);
        OutputWindow window(out, std::size_t{1} << (params_.offset_codes - 1), unpacked_size);
        while (window.remaining() > 0) {
            std::uint32_t block = bits.get(16);
            if (bits.overran())
                return bits.read_failed() ? Status::kReadFailed : Status::kTruncated;
            if (block == 0 || !read_tables(bits)) return Status::kCorrupt;
            for (; block > 0 && window.remaining() > 0; --block) {
                int c = codes_.decode(bits);
                if (c < 0) return Status::kCorrupt;
                if (c < kLiteralCodes) {
                    window.literal(static_cast<std::uint8_t>(c));
                    continue;
                }
                int p = offsets_.decode(bits);
                if (p < 0) return Status::kCorrupt;
                std::size_t distance = p <= 1 ? static_cast<std::size_t>(p)
                                              : (std::size_t{1} << (p - 1)) + bits.get(p - 1);
                window.copy(distance + 1, static_cast<std::size_t>(c - kLiteralCodes + kMinMatch));
            }
            if (window.failed()) return Status::kWriteFailed;
            if (bits.overran())
                return bits.read_failed() ? Status::kReadFailed : Status::kTruncated;
        }
        if (!window.finish()) return Status::kWriteFailed;
        return Status::kOk;
    }

  private:
    // Lengths of a small table: 3 bits each, 7 extended by a run of 1 bits.
    bool read_small_lengths(BitReader& bits, HuffmanDecoder& table, int max_count, int count_bits,
                            int skip_after) {
        int n = static_cast<int>(bits.get(count_bits));
        if (n == 0) {
            int c = static_cast<int>(bits.get(count_bits));
            if (c >= max_count) return false;
            table.set_single(c);
            return true;
        }
        if (n > max_count) return false;
        std::array<std::uint8_t, kLengthCodes> len{};
        int i = 0;
        while (i < n) {
            int c = static_cast<int>(bits.get(3));
            if (c == 7) {
                while (bits.get(1) == 1) {
                    if (++c > kMaxCodeBits) return false;
                }
            }
            len[static_cast<std::size_t>(i++)] = static_cast<std::uint8_t>(c);
            if (i == skip_after) {
                int zeros = static_cast<int>(bits.get(2));
                while (zeros-- > 0 && i < n) len[static_cast<std::size_t>(i++)] = 0;
            }
        }
        return table.build(len.data(), n);
    }

    bool read_code_lengths(BitReader& bits) {
        int n = static_cast<int>(bits.get(kCodeCountBits));
        if (n == 0) {
            int c = static_cast<int>(bits.get(kCodeCountBits));
            if (c >= kCodeCount) return false;
            codes_.set_single(c);
            return true;
        }
        if (n > kCodeCount) return false;
        std::array<std::uint8_t, kCodeCount> len{};
        int i = 0;
        while (i < n) {
            int c = lengths_.decode(bits);
            if (c < 0) return false;
            if (c > 2) {
                len[static_cast<std::size_t>(i++)] = static_cast<std::uint8_t>(c - 2);
                continue;
            }
            int run = c == 0   ? 1
                      : c == 1 ? static_cast<int>(bits.get(4)) + 3
                               : static_cast<int>(bits.get(kCodeCountBits)) + 20;
            if (run > n - i) return false;
            i += run;
        }
        return codes_.build(len.data(), n);
    }

    bool read_tables(BitReader& bits) {
        return read_small_lengths(bits, lengths_, kLengthCodes, kLengthCountBits, 3) &&
               read_code_lengths(bits) &&
               read_small_lengths(bits, offsets_, params_.offset_codes, params_.offset_bits, -1);
    }

    StaticParams params_;
    HuffmanDecoder codes_;
    HuffmanDecoder lengths_;
    HuffmanDecoder offsets_;
};

}  // namespace

std::unique_ptr<Decoder> MakeStaticDecoder(const StaticParams& params) {
    return std::make_unique<StaticDecoder>(params);
}

}  // namespace quorvex6::backend::codecs::lh
