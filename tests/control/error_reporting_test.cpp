#include "control/error_reporting.h"

#include <gtest/gtest.h>

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
    // Every code with a text of its own, then the fallback on each side of them.
    const Case cases[] = {
        {0, u""},
        {32773, u"ディスクの空きが足りません。"},
        {32774, u"展開先のファイルはリードオンリーです。"},
        {32775, u"ユーザーによって処理がスキップされました。"},
        {32776, u"UnKnown Type"},
        {32777, u"Method"},
        {32778, u"Password File"},
        {32779, u"Version"},
        {32780, u"格納ファイルのチェックサムが合っていません。"},
        {32781, u"ファイルを開けませんでした。"},
        {32782, u"より新しいファイルが展開先に存在しています。"},
        {32783, u"ファイルは展開先に存在していません。"},
        {32784, u"ファイルは既に存在しています。"},
        {32785, u"Too Many Files"},
        {32786, u"ディレクトリが作成できません。"},
        {32787, u"書き込みエラーが生じました。"},
        {32788, u"格納ファイルのハフマンコードが壊れています。"},
        {32789, u"Comment Header"},
        {32790, u"書庫のヘッダのチェックサムが合っていません。"},
        {32791, u"書庫のヘッダが壊れています。"},
        {32792, u"書庫を開く事が出来ません。"},
        {32793, u"書庫のファイル名が指定がされていません。"},
        {32794, u"ファイルの読み込み時にエラーが生じました。"},
        {32795, u"指定されたファイルは有効な LZH 書庫ではありません。"},
        {32796, u"コマンド指定が間違っています。"},
        {32797, u"作業用のためのヒープメモリが不足しています。"},
        {32798, u"グローバルメモリが不足しています。"},
        {32799, u"既に DLL が動作中です。"},
        {32800, u"ユーザーによって処理を中断されました。"},
        {32801,
         u"OpenArchive() で書庫とハンドルを関連付ける前に FindFirst() 等の API が使用されました。"},
        {32802,
         u"FindFirst() を使用する前に FindNext() が呼ばれた。または，これらを呼び出す前に "
         u"UnlhaGetFileName() 等の API が呼ばれました。"},
        {32803, u"DLL でサポートされていない API が使用されました。"},
        {32804, u"日付及び時間の指定形式が間違っています｡"},
        {32805, u"作業ファイルが作成できません｡"},
        {32806, u"ディレクトリのパスが長すぎます｡"},
        {32807, u"書き込み専用属性の書庫に対する操作はできません｡"},
        {32808, u"すでに同じ名前のファイルが書庫に格納されています｡"},
        {32809, u"指定されたディレクトリには書庫がありませんでした｡"},
        {32810, u"レスポンスファイルの読み込み時にエラーが生じました｡"},
        {32811, u"ファイル名の指定が必要です｡"},
        {32812, u"作業ファイルの書庫への書き戻しができませんでした｡"},
        {32813, u"書庫のデータが欠落しています｡"},
        {32814, u"この SFX への書庫操作は行えません。"},
        {32815, u"作業ファイルの書き戻しに必要なディスクの空きがありません｡"},
        {32816, u"ファイルへのアクセスが許可されていません｡"},
        {32817, u"ファイルが見つかりません｡"},
        {32818, u"ログファイルのエラーです｡"},
        {32819, u"デバイスが見つかりません｡"},
        {37121, u"サポートされていません。"},
        {37122, u"指定されたパスがありません。"},
        {37123, u"指定されたファイルのパスが誤っています。"},
        {32772, u"エラー。 8004"},
        {32820, u"エラー。 8034"},
        {37124, u"エラー。 9104"},
        {65535, u"エラー。 FFFF"},
        {1, u"エラー。 1"},
        {-1, u"エラー。 FFFFFFFF"},
        {-2147483647 - 1, u"エラー。 80000000"},
    };
    auto c = Quorvex6::CreateNew();
    for (const auto& t : cases) {
        SCOPED_TRACE(t.code);
        EXPECT_TRUE(ResultText(t.code) == t.text) << testing::U8(ResultText(t.code));
        SetError(c->state(), t.code);
        EXPECT_EQ(c->get_Error(), t.code);
        EXPECT_TRUE(c->get_Errorstring() == t.text) << testing::U8(c->get_Errorstring());
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
