// The self-ordering lists: where values start, how use moves them, and how counts flatten.
#include "codecs/rar15/adaptive_order.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorvex6::backend::codecs::rar15 {
namespace {

TEST(AdaptiveOrder, ValuesStartInOrderOrReversed) {
    struct Case {
        bool reversed;
        unsigned place;
        unsigned value;
    };
    const Case cases[] = {{false, 0, 0},  {false, 200, 200}, {true, 0, 0},
                          {true, 1, 255}, {true, 128, 128},  {true, 255, 1}};
    for (const Case& c : cases) {
        AdaptiveOrder order(0xFF);
        order.Reset(c.reversed);
        EXPECT_EQ(order.Take(c.place), c.value) << c.reversed << " " << c.place;
    }
}

TEST(AdaptiveOrder, AUsedValueTradesPlacesWithTheFirstOfItsCount) {
    AdaptiveOrder order(0xFF);
    order.Reset(false);
    EXPECT_EQ(order.Take(65), 65);  // count 1: trades with place 0
    EXPECT_EQ(order.Take(0), 65);   // count 2: the first of count 1 already, it stays
    EXPECT_EQ(order.Take(65), 0);   // the value it displaced took its old place
    // Places 0 and 1 now have counts 2 and 1: value 2 rises to place 2, then to place 1.
    EXPECT_EQ(order.Take(2), 2);
    EXPECT_EQ(order.Take(2), 2);
    EXPECT_EQ(order.Take(1), 2);
}

TEST(AdaptiveOrder, PlacesBeyondTheListWrapIntoIt) {
    AdaptiveOrder order(0xFF);
    order.Reset(false);
    EXPECT_EQ(order.Take(256), 0);
}

TEST(AdaptiveOrder, ACountAtItsLimitFlattensTheListIntoBands) {
    AdaptiveOrder order(8);
    order.Reset(false);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(order.Take(i == 0 ? 40 : 0), 40);
    // Count 8 is the limit: the list keeps its order, every place gets its band's count.
    EXPECT_EQ(order.Take(0), 40);
    // Place 100 is in the band of count 4, whose first place is 96.
    EXPECT_EQ(order.Take(100), 100);
    EXPECT_EQ(order.Take(96), 100);
}

}  // namespace
}  // namespace quorvex6::backend::codecs::rar15
