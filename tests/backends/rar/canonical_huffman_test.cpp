// The prefix-code builder both RAR decoders share: which length sets it takes, and what it
// decodes from given bits, short codes and long ones, and bits that form no code.
#include "codecs/common/canonical_huffman.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quorvex6::backend::codecs {
namespace {

// Bits from a string of '0' and '1', zeros past its end.
class TextBits {
  public:
    explicit TextBits(std::string bits) : bits_(std::move(bits)) {}
    std::uint32_t Peek16() const {
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < 16; ++i)
            v = v << 1 | (at_ + i < bits_.size() && bits_[at_ + i] == '1' ? 1u : 0u);
        return v;
    }
    void Skip(unsigned n) { at_ += n; }
    std::size_t taken() const { return at_; }

  private:
    std::string bits_;
    std::size_t at_ = 0;
};

TEST(CanonicalHuffman, BuildTakesFullAndPartialCodesOnly) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> lengths;
        bool built;
    };
    const Case cases[] = {
        {"complete", {1, 2, 3, 3}, true},
        {"part of the space unused", {2, 2, 0, 3}, true},
        {"no symbol at all", {0, 0, 0}, true},
        {"over-full", {1, 1, 2}, false},
        {"over-full by a shorter code", {2, 2, 2, 2, 1}, false},
        {"as many symbols as may be", std::vector<std::uint8_t>(CanonicalHuffman::kMaxSymbols, 0),
         true},
        {"one symbol too many", std::vector<std::uint8_t>(CanonicalHuffman::kMaxSymbols + 1, 0),
         false},
    };
    for (const Case& c : cases) {
        CanonicalHuffman table;
        EXPECT_EQ(table.Build(c.lengths), c.built) << c.what;
    }
}

TEST(CanonicalHuffman, DecodesCodesInOrderOfLengthThenSymbol) {
    // Symbol 3 has the only 1-bit code (0); 0 and 2 share length 3 (100, 101); 1 is 11 long,
    // past the look-up table, and 4 is 15 long; the rest of the space is unused.
    std::vector<std::uint8_t> lengths = {3, 11, 3, 1, 15};
    CanonicalHuffman table;
    ASSERT_TRUE(table.Build(lengths));
    struct Case {
        const char* bits;
        int symbol;
        std::size_t taken;
    };
    const Case cases[] = {
        {"0", 3, 1},
        {"100", 0, 3},
        {"101", 2, 3},
        {"11000000000", 1, 11},
        {"110000000010000", 4, 15},
        {"110000000011", -1, 0},
        {"111", -1, 0},
    };
    for (const Case& c : cases) {
        TextBits bits(c.bits);
        EXPECT_EQ(table.Decode(bits), c.symbol) << c.bits;
        EXPECT_EQ(bits.taken(), c.taken) << c.bits;
    }
}

TEST(CanonicalHuffman, RebuildingForgetsTheOldCode) {
    CanonicalHuffman table;
    ASSERT_TRUE(table.Build(std::vector<std::uint8_t>{1, 1}));
    ASSERT_TRUE(table.Build(std::vector<std::uint8_t>{0, 0, 2}));
    TextBits zero("0");
    EXPECT_EQ(table.Decode(zero), 2);
    TextBits one("1");
    EXPECT_EQ(table.Decode(one), -1);
}

}  // namespace
}  // namespace quorvex6::backend::codecs
