#include "codecs/lh/adaptive_huffman.h"
#include "codecs/lh/bit_writer.h"
#include "codecs/lh/codecs.h"
#include "codecs/lh/huffman_encoder.h"
#include "codecs/lh/lh1_position_code.h"
#include "codecs/lh/lz_parser.h"

namespace quorvex6::backend::codecs::lh {

namespace {

class Lh1Writer {
  public:
    Lh1Writer(Sink& out, std::uint64_t limit) : bits_(out), limit_(limit) {
        constexpr auto kLengths = Lh1PositionLengths();
        lengths_ = kLengths;
        AssignCodes(lengths_.data(), kLh1PositionCodes, codes_.data());
    }

    void literal(std::uint8_t b) { symbol(b); }
    void match(int length, std::int32_t distance) {
        symbol(kLiteralCodes + length - kMinMatch);
        std::uint32_t v = static_cast<std::uint32_t>(distance - 1);
        std::uint32_t upper = v >> kLh1LowBits;
        bits_.put(lengths_[upper], codes_[upper]);
        bits_.put(kLh1LowBits, v & ((1u << kLh1LowBits) - 1));
    }
    bool failed() const { return bits_.failed() || bits_.written() > limit_; }
    Status finish() {
        if (bits_.written() > limit_) return Status::kExpanded;
        return bits_.finish() ? Status::kOk : Status::kWriteFailed;
    }

  private:
    void symbol(int s) {
        int n = tree_.code(s, path_);
        for (int i = 0; i < n; ++i) bits_.put(1, path_[static_cast<std::size_t>(i)]);
        tree_.update(s);
    }

    BitWriter bits_;
    std::uint64_t limit_;
    AdaptiveHuffman tree_;
    std::array<std::uint8_t, AdaptiveHuffman::kNodes> path_{};
    std::array<std::uint8_t, kLh1PositionCodes> lengths_{};
    std::array<std::uint16_t, kLh1PositionCodes> codes_{};
};

class Lh1Encoder final : public Encoder {
  public:
    Status encode(Source& in, Sink& out, std::uint64_t limit) override {
        LzParser parser({kLh1DictBits, kLh1MaxMatch, 128, kLh1MaxMatch, kLh1MaxMatch, 16, 1024});
        Lh1Writer writer(out, limit);
        Status s = parser.run(in, writer);
        if (s == Status::kWriteFailed)
            return writer.finish() == Status::kExpanded ? Status::kExpanded : s;
        if (s != Status::kOk) return s;
        return writer.finish();
    }
};

}  // namespace

std::unique_ptr<Encoder> MakeLh1Encoder() { return std::make_unique<Lh1Encoder>(); }

}  // namespace quorvex6::backend::codecs::lh
