// RAR's carry-less range decoder against an encoder written from the coder's description:
// whatever intervals go in must come out, across renormalisations and range underflows.
#include "codecs/ppmd/rar_range_decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace quorvex6::backend::codecs::ppmd {
namespace {

using Bytes = std::vector<std::uint8_t>;

class CarrylessEncoder {
  public:
    void Encode(std::uint32_t start, std::uint32_t size, std::uint32_t total) {
        range_ /= total;
        low_ += start * range_;
        range_ *= size;
        for (;;) {
            if ((low_ ^ (low_ + range_)) >= kTop) {
                if (range_ >= kBottom) break;
                range_ = (0 - low_) & (kBottom - 1);
            }
            out_.push_back(static_cast<std::uint8_t>(low_ >> 24));
            range_ <<= 8;
            low_ <<= 8;
        }
    }
    Bytes Finish() {
        for (int i = 0; i < 4; ++i, low_ <<= 8)
            out_.push_back(static_cast<std::uint8_t>(low_ >> 24));
        return out_;
    }

  private:
    static constexpr std::uint32_t kTop = 1u << 24, kBottom = 1u << 15;
    std::uint32_t low_ = 0, range_ = 0xFFFFFFFF;
    Bytes out_;
};

struct Interval {
    std::uint32_t start, size, total;
};

std::vector<Interval> Intervals() {
    // Totals as PPMd uses them: small contexts, the 2^14 of binary contexts, near-2^15 sums of
    // full contexts; tiny sizes force the range below 2^15 and through the underflow branch.
    std::vector<Interval> intervals;
    std::uint32_t x = 12345;
    const std::uint32_t totals[] = {2, 3, 257, 1u << 14, 31000, 7, 60};
    for (int i = 0; i < 5000; ++i) {
        x = x * 1103515245u + 12345u;
        const std::uint32_t total = totals[(x >> 16) % std::size(totals)];
        x = x * 1103515245u + 12345u;
        const std::uint32_t start = (x >> 8) % total;
        x = x * 1103515245u + 12345u;
        const std::uint32_t size = i % 3 == 0 ? 1 : 1 + (x >> 8) % (total - start);
        intervals.push_back({start, size, total});
    }
    return intervals;
}

TEST(RarRangeDecoder, ReturnsEveryIntervalTheEncoderTook) {
    const std::vector<Interval> intervals = Intervals();
    CarrylessEncoder encoder;
    for (const Interval& it : intervals) encoder.Encode(it.start, it.size, it.total);
    const Bytes stream = encoder.Finish();

    SpanInput input(stream);
    RarRangeDecoder decoder(input);
    decoder.Start();
    for (std::size_t i = 0; i < intervals.size(); ++i) {
        const Interval& it = intervals[i];
        const std::uint32_t value = decoder.Threshold(it.total);
        ASSERT_GE(value, it.start) << "interval " << i;
        ASSERT_LT(value, it.start + it.size) << "interval " << i;
        decoder.Decode(it.start, it.size);
    }
    EXPECT_FALSE(decoder.broken());
    EXPECT_FALSE(decoder.past_end());
}

TEST(RarRangeDecoder, DecodesBitsAsTwoIntervals) {
    struct Bit {
        std::uint32_t size0;
        int bit;
    };
    const Bit bits[] = {{1, 1},   {16383, 0}, {16383, 1}, {1, 0},     {8192, 1}, {8192, 0},
                        {100, 1}, {100, 1},   {100, 1},   {16000, 0}, {5, 0},    {3000, 1}};
    CarrylessEncoder encoder;
    for (const Bit& b : bits) {
        if (b.bit == 0) {
            encoder.Encode(0, b.size0, 1u << 14);
        } else {
            encoder.Encode(b.size0, (1u << 14) - b.size0, 1u << 14);
        }
    }
    const Bytes stream = encoder.Finish();
    SpanInput input(stream);
    RarRangeDecoder decoder(input);
    decoder.Start();
    for (const Bit& b : bits) EXPECT_EQ(decoder.DecodeBit(b.size0, 1u << 14), b.bit);
}

TEST(RarRangeDecoder, SaysWhenItRanPastTheInput) {
    const Bytes three = {1, 2, 3};
    SpanInput short_input(three);
    RarRangeDecoder decoder(short_input);
    decoder.Start();
    EXPECT_TRUE(decoder.past_end());

    const Bytes four = {1, 2, 3, 4};
    SpanInput exact(four);
    RarRangeDecoder exact_decoder(exact);
    exact_decoder.Start();
    EXPECT_FALSE(exact_decoder.past_end());
}

}  // namespace
}  // namespace quorvex6::backend::codecs::ppmd
