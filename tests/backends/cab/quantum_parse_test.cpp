// The priced parse: steps that cover the stretch with real matches, prices that follow the
// models, and priced levels packing smaller than the lazy ones.
#include "codecs/quantum/quantum_parse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "codecs/quantum/quantum.h"
#include "codecs/quantum/quantum_prices.h"

namespace quorvex6::backend::codecs::quantum {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Words(std::size_t size, std::uint32_t seed) {
    static const char* const kWords[] = {"frame ", "window ", "model ", "slot ", "match ",
                                         "the ",   "of ",     "a ",     "\n",    "length "};
    std::string s;
    while (s.size() < size) {
        seed = seed * 1664525u + 1013904223u;
        s += kWords[(seed >> 16) % 10];
        if ((seed >> 8) % 7 == 0) s += std::to_string(seed % 1000);
    }
    return Bytes(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(size));
}

TEST(QuantumParse, StepsCoverTheStretchWithRealMatches) {
    struct Case {
        const char* label;
        Bytes data;
        std::size_t start, end;
    };
    Bytes zeros(20000, 0);
    const Case cases[] = {
        {"words", Words(30000, 1), 0, 30000},
        {"words, a stretch inside", Words(30000, 2), 4096, 8192},
        {"zeros", zeros, 0, 20000},
        {"one byte", Bytes{7}, 0, 1},
    };
    ModelSet models(21);
    for (const Case& c : cases) {
        MatchFinder finder(21, EffortOf(7));
        finder.Append(c.data);
        // Positions before the stretch are hashed as the encoder leaves them.
        for (std::size_t at = 0; at < c.start; ++at) finder.Find(at);
        PricedParser parser;
        std::vector<Match> steps;
        parser.Parse(finder, finder.Frame(), c.start, c.end, PricesOf(models), 259, steps);
        std::size_t at = c.start;
        for (const Match& step : steps) {
            if (step.length == 0) {
                ++at;
                continue;
            }
            ASSERT_GE(step.length, kMinMatch) << c.label;
            ASSERT_LE(step.offset, at) << c.label;
            for (unsigned i = 0; i < step.length; ++i)
                ASSERT_EQ(c.data[at + i], c.data[at + i - step.offset]) << c.label << " " << at;
            at += step.length;
        }
        EXPECT_EQ(at, c.end) << c.label;
    }
}

TEST(QuantumParse, PricesFollowTheModels) {
    ModelSet models(21);
    Prices flat = PricesOf(models);
    // Flat models: every literal costs its selector group (7 symbols) and its byte (64).
    EXPECT_NEAR(flat.literal['e'], (std::log2(7.0) + 6) * kPriceScale, 2);
    for (int i = 0; i < 40; ++i) {
        models.selector.Update(models.selector.IndexOf('e' >> 6));
        models.literals['e' >> 6].Update(models.literals['e' >> 6].IndexOf('e'));
    }
    Prices seen = PricesOf(models);
    EXPECT_LT(seen.literal['e'], flat.literal['e'] / 2);
    // A byte of another group pays for its group having grown rarer.
    EXPECT_GT(seen.literal[0x10], flat.literal[0x10]);
    // A length-3 match beyond the short model's slots cannot be coded.
    EXPECT_GE(MatchPrice(flat, 3, kShortPositionSlots), kNoPrice);
    EXPECT_LT(MatchPrice(flat, 5, kShortPositionSlots), kNoPrice);
}

TEST(QuantumParse, PricedLevelsPackSmaller) {
    Bytes data = Words(400000, 3);
    auto packed = [&](unsigned level) {
        FrameEncoder encoder(21, level);
        std::size_t total = 0;
        Bytes frame;
        for (std::size_t at = 0; at < data.size(); at += kFrameLimit) {
            encoder.Encode(std::span(data).subspan(at, std::min(kFrameLimit, data.size() - at)),
                           frame);
            total += frame.size();
        }
        return total;
    };
    std::size_t lazy = packed(4), priced = packed(5), hardest = packed(7);
    EXPECT_LT(priced * 100, lazy * 97);
    EXPECT_LE(hardest, priced);
}

}  // namespace
}  // namespace quorvex6::backend::codecs::quantum
