// RAR 2.9's standard filters on small stretches worked out by hand: x86 calls and jumps made
// relative again, IA-64 branch targets, delta channels, RGB planes with their predictor, audio.
#include <gtest/gtest.h>

#include "codecs/rar3/filters.h"

namespace quorvex6::backend::codecs::rar3 {
namespace {

TEST(Rar3Filters, EachFilterUndoesWhatThePackerDid) {
    struct Case {
        const char* what;
        Filter filter;
        std::vector<std::uint8_t> in;
        std::optional<std::vector<std::uint8_t>> out;  // nullopt: the parameters are damage
    };
    std::vector<std::uint8_t> bundle(32, 0);
    bundle[0] = 0x10;   // template 0x10: slot 2 may branch
    bundle[13] = 0x01;  // its target, 0x10 bundles ahead
    bundle[15] = 0x50;  // its opcode: a relative branch
    std::vector<std::uint8_t> moved = bundle;
    moved[12] = 0xE0;  // 0x10 less the bundle's number, 2
    moved[13] = 0x00;
    const Case cases[] = {
        {"call forward",
         {FilterKind::kE8, 0, 10},
         {0xE8, 0x10, 0, 0, 0, 0, 0, 0, 0, 0},
         {{0xE8, 0x0F, 0, 0, 0, 0, 0, 0, 0, 0}}},
        {"call back past the start",
         {FilterKind::kE8, 0, 10},
         {0xE8, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0},
         {{0xE8, 0xFF, 0xFF, 0xFF, 0x00, 0, 0, 0, 0, 0}}},
        {"a jump is no call",
         {FilterKind::kE8, 0, 10},
         {0xE9, 0x10, 0, 0, 0, 0, 0, 0, 0, 0},
         {{0xE9, 0x10, 0, 0, 0, 0, 0, 0, 0, 0}}},
        {"jump later in the file",
         {FilterKind::kE8E9, 0, 10, 0x10},
         {0xE9, 0x20, 0, 0, 0, 0, 0, 0, 0, 0},
         {{0xE9, 0x0F, 0, 0, 0, 0, 0, 0, 0, 0}}},
        {"address past the call space",
         {FilterKind::kE8, 0, 10},
         {0xE8, 0, 0, 0, 0x01, 0, 0, 0, 0, 0},
         {{0xE8, 0, 0, 0, 0x01, 0, 0, 0, 0, 0}}},
        {"IA-64 branch", {FilterKind::kItanium, 0, 32, 0x20}, bundle, moved},
        {"delta, two channels",
         {FilterKind::kDelta, 0, 4, 0, 2},
         {0xFF, 0xFF, 0x01, 0x02},
         {{0x01, 0xFF, 0x02, 0xFD}}},
        {"RGB, one row",
         {FilterKind::kRgb, 0, 6, 0, 6, 0},
         {0xFF, 0xFF, 0xFE, 0x00, 0xFD, 0x00},
         {{3, 2, 5, 4, 2, 5}}},
        {"RGB, red byte out of place", {FilterKind::kRgb, 0, 6, 0, 6, 3}, {0, 0, 0, 0, 0, 0}, {}},
        {"RGB, row wider than the stretch",
         {FilterKind::kRgb, 0, 6, 0, 9, 0},
         {0, 0, 0, 0, 0, 0},
         {}},
        {"audio, one channel", {FilterKind::kAudio, 0, 2, 0, 1}, {0xF8, 0x00}, {{8, 8}}},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> memory(2 * kMaxFilterLength + 4, 0);
        std::copy(c.in.begin(), c.in.end(), memory.begin());
        std::optional<std::uint32_t> at = RunFilter(c.filter, memory);
        ASSERT_EQ(at.has_value(), c.out.has_value()) << c.what;
        if (!at) continue;
        std::vector<std::uint8_t> got(memory.begin() + *at, memory.begin() + *at + c.filter.length);
        EXPECT_EQ(got, *c.out) << c.what;
    }
}

TEST(Rar3Filters, OnlyTheStandardProgramsAreKnown) {
    EXPECT_FALSE(IdentifyProgram(std::vector<std::uint8_t>(29, 0)));
    EXPECT_FALSE(IdentifyProgram(std::vector<std::uint8_t>(53, 0xE8)));
    EXPECT_FALSE(IdentifyProgram({}));
}

}  // namespace
}  // namespace quorvex6::backend::codecs::rar3
