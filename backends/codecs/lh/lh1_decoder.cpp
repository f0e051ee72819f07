#include "codecs/lh/adaptive_huffman.h"
#include "codecs/lh/bit_reader.h"
#include "codecs/lh/codecs.h"
#include "codecs/lh/huffman_decoder.h"
#include "codecs/lh/lh1_position_code.h"
#include "codecs/lh/output_window.h"

namespace quorvex6::backend::codecs::lh {

namespace {

class Lh1Decoder final : public Decoder {
  public:
    Status decode(Source& in, std::uint64_t packed_size, std::uint64_t unpacked_size,
                  Sink& out) override {
        BitReader bits(in, packed_size);
        OutputWindow window(out, std::size_t{1} << kLh1DictBits, unpacked_size);
        AdaptiveHuffman tree;
        HuffmanDecoder positions(8);
        constexpr auto kLengths = Lh1PositionLengths();
        positions.build(kLengths.data(), kLh1PositionCodes);
        while (window.remaining() > 0) {
            int c = tree.root_child();
            while (c < AdaptiveHuffman::kNodes) c = tree.child(c + static_cast<int>(bits.get(1)));
            int symbol = c - AdaptiveHuffman::kNodes;
            tree.update(symbol);
            if (symbol < kLiteralCodes) {
                window.literal(static_cast<std::uint8_t>(symbol));
            } else {
                int upper = positions.decode(bits);
                std::size_t distance =
                    (static_cast<std::size_t>(upper) << kLh1LowBits) + bits.get(kLh1LowBits) + 1;
                window.copy(distance, static_cast<std::size_t>(symbol - kLiteralCodes + kMinMatch));
            }
            if (bits.overran())
                return bits.read_failed() ? Status::kReadFailed : Status::kTruncated;
            if (window.failed()) return Status::kWriteFailed;
        }
        if (!window.finish()) return Status::kWriteFailed;
        return Status::kOk;
    }
};

}  // namespace

std::unique_ptr<Decoder> MakeLh1Decoder() { return std::make_unique<Lh1Decoder>(); }

}  // namespace quorvex6::backend::codecs::lh
