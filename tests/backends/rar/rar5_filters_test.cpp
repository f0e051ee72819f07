// RAR 5.0's filters on small stretches worked out by hand: delta over interleaved channels,
// x86 call addresses made relative (and a negative one back into range), ARM branches.
#include <gtest/gtest.h>

#include "codecs/rar5/filters.h"

namespace quorvex6::backend::codecs::rar5 {
namespace {

TEST(Rar5Filters, EachFilterUndoesWhatTheWriterDid) {
    struct Case {
        Filter filter;
        std::vector<std::uint8_t> in, out;
    };
    const Case cases[] = {
        {{FilterType::kDelta, 0, 4, 2}, {0xFF, 0xFF, 0x01, 0x02}, {0x01, 0xFF, 0x02, 0xFD}},
        {{FilterType::kE8, 0, 10, 1},
         {0xE8, 0x10, 0, 0, 0, 0, 0, 0, 0, 0},
         {0xE8, 0x0F, 0, 0, 0, 0, 0, 0, 0, 0}},
        {{FilterType::kE8, 0, 10, 1},
         {0xE8, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0},
         {0xE8, 0xFF, 0xFF, 0xFF, 0x00, 0, 0, 0, 0, 0}},
        // E9 is a jump only for the E8E9 filter.
        {{FilterType::kE8, 0, 10, 1},
         {0xE9, 0x10, 0, 0, 0, 0, 0, 0, 0, 0},
         {0xE9, 0x10, 0, 0, 0, 0, 0, 0, 0, 0}},
        {{FilterType::kE8E9, 0x10, 10, 1},
         {0xE9, 0x20, 0, 0, 0, 0, 0, 0, 0, 0},
         {0xE9, 0x0F, 0, 0, 0, 0, 0, 0, 0, 0}},
        {{FilterType::kArm, 0, 8, 1},
         {0, 0, 0, 0, 0x08, 0, 0, 0xEB},
         {0, 0, 0, 0, 0x07, 0, 0, 0xEB}},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> data = c.in;
        ApplyFilter(c.filter, data);
        EXPECT_EQ(data, c.out) << static_cast<int>(c.filter.type);
    }
}

}  // namespace
}  // namespace quorvex6::backend::codecs::rar5
