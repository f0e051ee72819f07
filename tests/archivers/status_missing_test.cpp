#include <gtest/gtest.h>

#include "control/module_state.h"
#include "control/state.h"
#include "quorvex6/control.h"
#include "quorvex6/enums.h"
#include "quorvex6/result_codes.h"
#include "support/test_support.h"

namespace quorvex6 {
namespace {

// No library on the search path: every query is a trapped failure.
TEST(StatusQueriesWithoutLibraries, EachReadShowsTheFailureAndAnswersNeutrally) {
    testing::CapturedMessages messages;
    auto control = Quorvex6::CreateNew();
    control->put_ArcMode(RAR_);
    control->state().Error = result::kBrokenHeader;
    control->state().Errorstring = u"kept";
    EXPECT_EQ(control->get_Version(), 0);
    EXPECT_EQ(control->get_Version(), 0);
    EXPECT_EQ(control->get_Running(), 0);
    EXPECT_EQ(control->get_VersionZipJ(), 0);
    EXPECT_EQ(control->get_RunningZipJ(), 0);
    ASSERT_EQ(messages.messages().size(), 5u);
    EXPECT_NE(testing::U8(messages.messages()[0]).find("libunrar32.so"), std::string::npos);
    EXPECT_NE(testing::U8(messages.messages()[4]).find("libzip32j.so"), std::string::npos);
    EXPECT_EQ(Module().TrappedErrorText, messages.messages()[4]);
    EXPECT_EQ(control->get_Error(), result::kBrokenHeader);
    EXPECT_EQ(control->get_Errorstring(), u"kept");
}

}  // namespace
}  // namespace quorvex6
