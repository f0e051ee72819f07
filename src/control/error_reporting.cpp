#include "control/error_reporting.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "control/module_state.h"
#include "platform/message_box.h"
#include "quorvex6/result_codes.h"

namespace quorvex6 {
namespace {

struct CodeText {
    int32_t code;
    const char16_t* text;
};

// Every library code from 0x8005 to 0x8033 and the control's own 37121..37123; 0 and 37120 are
// handled apart. Sorted by code.
constexpr CodeText kResultTexts[] = {
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
};

static_assert(std::size(kResultTexts) == (0x8033 - 0x8005 + 1) + 3);

std::u16string FallbackText(int32_t code) {
    // Negative codes print as their eight-digit two's complement.
    char digits[16];
    std::snprintf(digits, sizeof digits, "%X", static_cast<uint32_t>(code));
    std::u16string text = u"エラー。 ";
    for (const char* p = digits; *p != '\0'; ++p) text.push_back(static_cast<char16_t>(*p));
    return text;
}

}  // namespace

std::u16string ResultText(int32_t code) {
    if (code == 0) return {};
    if (code == result::kTrapped) return Module().TrappedErrorText;
    const auto* found =
        std::lower_bound(std::begin(kResultTexts), std::end(kResultTexts), code,
                         [](const CodeText& entry, int32_t wanted) { return entry.code < wanted; });
    if (found != std::end(kResultTexts) && found->code == code) return found->text;
    return FallbackText(code);
}

void SetError(ControlState& state, int32_t code) {
    state.Error = code;
    state.Errorstring = ResultText(code);
}

TrappedFailure::TrappedFailure(std::u16string description)
    : std::runtime_error("trapped failure"), description_(std::move(description)) {}

void HandleTrappedFailure(const std::u16string& description) {
    platform::ShowModalMessage(description);
    Module().TrappedErrorText = description;
}

}  // namespace quorvex6
