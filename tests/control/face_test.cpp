#include <gtest/gtest.h>

#include <stdexcept>

#include "control/state.h"
#include "quorvex6/control.h"
#include "quorvex6/version.h"
#include "support/test_support.h"

namespace quorvex6 {
namespace {

using testing::RecordingSite;

TEST(Face, ResizeForcesTheSquareWidthFirst) {
    RecordingSite site;
    auto c = Quorvex6::CreateNew(&site);
    c->OnResize();
    c->OnResize();
    const std::vector<std::pair<char, int32_t>> expected = {
        {'w', 495}, {'h', 495}, {'w', 495}, {'h', 495}};
    EXPECT_EQ(site.sizes, expected);
    EXPECT_TRUE(site.notified.empty());
}

TEST(Face, ShowFollowsTheContainersUserMode) {
    RecordingSite site;
    auto c = Quorvex6::CreateNew(&site);
    site.userMode = false;
    c->OnShow();
    EXPECT_TRUE(c->ImageVisible());
    EXPECT_TRUE(c->BorderFixedSingle());
    site.userMode = true;
    c->OnShow();
    EXPECT_FALSE(c->ImageVisible());
    EXPECT_FALSE(c->BorderFixedSingle());
}

TEST(Face, AContainerFailureReachesTheContainerAndRecordsNothing) {
    struct FailingSite : RecordingSite {
        void SetHeight(int32_t) override { throw std::runtime_error("extender refused"); }
    } site;
    auto c = Quorvex6::CreateNew(&site);
    EXPECT_THROW(c->OnResize(), std::runtime_error);
    EXPECT_EQ(c->get_Error(), 0);
}

TEST(Face, AboutBoxShowsTitleVersionAndNoticeAsOneMessage) {
    testing::CapturedMessages captured;
    auto c = Quorvex6::CreateNew();
    c->state().Error = 5;
    c->Invoke(-552, InvokeKind::Method, {});
    ASSERT_EQ(captured.messages().size(), 1u);
    const std::string text = testing::U8(captured.messages()[0]);
    const size_t first = text.find("\r\n");
    const size_t second = text.find("\r\n", first + 2);
    ASSERT_NE(second, std::string::npos);
    EXPECT_EQ(text.substr(0, first), testing::U8(version::kTitle));
    EXPECT_EQ(text.substr(first + 2, second - first - 2), "Version 1.0.0");
    EXPECT_FALSE(text.substr(second + 2).empty());
    EXPECT_EQ(text.find("\r\n", second + 2), std::string::npos);
    EXPECT_EQ(c->get_Error(), 5);
    EXPECT_TRUE(std::u16string(version::kVersionString) == u"1.00");
}

}  // namespace
}  // namespace quorvex6
