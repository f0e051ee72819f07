#include <gtest/gtest.h>

#include "compose/path_helpers.h"
#include "control/module_state.h"
#include "support/test_support.h"

namespace quorvex6 {
namespace {

// Run with no library on the search path.
TEST(CheckArchiveWithoutLibrary, ShowsTheFailureOnceAndAnswersFalse) {
    testing::CapturedMessages messages;
    Module().CurrentArcMode = 5;
    Module().TrappedErrorText.clear();
    EXPECT_FALSE(CheckArchive(u"a.tar"));
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_NE(testing::U8(messages.messages()[0]).find("libtar32.so"), std::string::npos);
    EXPECT_EQ(Module().TrappedErrorText, messages.messages()[0]);
    Module().CurrentArcMode = 0;
}

}  // namespace
}  // namespace quorvex6
