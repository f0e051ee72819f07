#include <gtest/gtest.h>

#include "control/error_reporting.h"
#include "control/module_state.h"
#include "quorvex6/control.h"
#include "support/test_support.h"

namespace quorvex6 {
namespace {

TEST(ErrorReporting, TextsOfCodes) {
    struct Case {
        int32_t code;
        std::u16string text;
    };
    const Case cases[] = {
        {0, u""},
        {32773, u"ディスクの空きが足りません。"},
        {32776, u"UnKnown Type"},
        {32795, u"指定されたファイルは有効な LZH 書庫ではありません。"},
        {32804, u"日付及び時間の指定形式が間違っています｡"},
        {32814, u"この SFX への書庫操作は行えません。"},
        {32819, u"デバイスが見つかりません｡"},
        {37121, u"サポートされていません。"},
        {37123, u"指定されたファイルのパスが誤っています。"},
        {32772, u"エラー。 8004"},
        {32820, u"エラー。 8034"},
        {37124, u"エラー。 9104"},
        {65535, u"エラー。 FFFF"},
        {1, u"エラー。 1"},
        {-1, u"エラー。 FFFFFFFF"},
        {-2147483647 - 1, u"エラー。 80000000"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(ResultText(c.code) == c.text) << c.code << " gave " << testing::U8(ResultText(c.code));
    }
}

TEST(ErrorReporting, EveryLibraryCodeHasItsOwnText) {
    for (int32_t code = 0x8005; code <= 0x8033; ++code) {
        EXPECT_EQ(ResultText(code).find(u"エラー。 "), std::u16string::npos) << code;
    }
    // The half-width full stop ends exactly these texts.
    for (int32_t code = 32804; code <= 32819; ++code) {
        const bool halfWidth = code <= 32813 || code >= 32815;
        EXPECT_EQ(ResultText(code).back() == u'｡', halfWidth) << code;
    }
}

TEST(ErrorReporting, TrappedFailureShowsItsDescriptionAndBecomesTheTextOf37120) {
    testing::CapturedMessages messages;
    HandleTrappedFailure(u"cannot load libx.so");
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_TRUE(messages.messages()[0] == u"cannot load libx.so");
    auto c = Quorvex6::CreateNew();
    SetError(c->state(), 37120);
    EXPECT_EQ(c->get_Error(), 37120);
    EXPECT_TRUE(c->get_Errorstring() == u"cannot load libx.so");
    SetError(c->state(), 0);
    EXPECT_TRUE(c->get_Errorstring().empty());
}

TEST(ErrorReporting, RunTrappedTurnsRuntimeFailuresIntoThePendingResult) {
    testing::CapturedMessages messages;
    EXPECT_EQ(RunTrapped([]() -> int { throw TrappedFailure(u"one"); }, 37120), 37120);
    EXPECT_EQ(RunTrapped([]() -> int { throw std::runtime_error("two"); }, 7), 7);
    EXPECT_EQ(RunTrapped([] { return 3; }, 7), 3);
    ASSERT_EQ(messages.messages().size(), 2u);
    EXPECT_TRUE(Module().TrappedErrorText == u"two");
}

}  // namespace
}  // namespace quorvex6
