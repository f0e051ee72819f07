// ARJ's method 4: LZ77 without Huffman tables. Lengths and offsets are numbers in fields whose
// width a unary prefix chooses; both share the LH bit reader and output window.
#include "codecs/lh/bit_reader.h"
#include "codecs/lh/codecs.h"
#include "codecs/lh/output_window.h"

namespace quorvex6::backend::codecs::lh {

namespace {

// The first field of the length code is 0 bits wide (a literal follows), each prefix bit adds
// one; offsets start at 9 bits.
constexpr int kLengthPrefixBits = 7;
constexpr int kOffsetFirstWidth = 9;
constexpr int kOffsetPrefixBits = 4;
constexpr std::size_t kHistory = 32768;

// A value whose field is `first_width + n` bits wide after n one bits (at most `prefix_bits`),
// biased by what the shorter fields hold.
std::uint32_t ReadPrefixed(BitReader& bits, int first_width, int prefix_bits) {
    std::uint32_t bias = 0;
    int width = first_width;
    for (int n = 0; n < prefix_bits && bits.get(1) == 1; ++n) {
        bias += std::uint32_t{1} << width;
        ++width;
    }
    return bias + bits.get(width);
}

class FastestDecoder final : public Decoder {
  public:
    Status decode(Source& in, std::uint64_t packed_size, std::uint64_t unpacked_size,
                  Sink& out) override {
        BitReader bits(in, packed_size);
        OutputWindow window(out, kHistory, unpacked_size);
        while (window.remaining() > 0) {
            std::uint32_t length = ReadPrefixed(bits, 0, kLengthPrefixBits);
            if (length == 0) {
                window.literal(static_cast<std::uint8_t>(bits.get(8)));
            } else {
                // Every offset the fields can hold lies inside kHistory.
                window.copy(ReadPrefixed(bits, kOffsetFirstWidth, kOffsetPrefixBits) + 1,
                            length + 2);
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

std::unique_ptr<Decoder> MakeArjFastestDecoder() { return std::make_unique<FastestDecoder>(); }

}  // namespace quorvex6::backend::codecs::lh
