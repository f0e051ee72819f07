// The member table against the interface as published: slot order, dispatch ids, kinds, value
// types, index arguments and help strings. This is the one place the quoted texts are repeated.
#include "control/member_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "control/enumerations.h"

namespace quorvex6 {
namespace {

struct Expected {
    std::u16string_view name;
    int32_t dispid;
    uint8_t kinds;
    VarType type;
    std::u16string_view enumeration;
    bool indexed;
    bool byReference;
    std::u16string_view help;
};

constexpr uint8_t GP = kGet | kPut;
constexpr Expected kPublished[] = {
    {u"Error", 0x6803002E, kGet, VarType::I4, u"", false, false, u"エラー番号。"},
    {u"Errorstring", 0x6803002D, GP, VarType::String, u"", false, false, u"エラー文字列。"},
    {u"hwnd", 0x6803002C, GP, VarType::I4, u"", false, false,
     u"Hwndを指定します。圧縮、解凍、SFXファイル作成時に必要です。"},
    {u"ArcMode", 0x6803002B, GP, VarType::I4, u"enmArcMode", false, false,
     u"書庫ファイルの種類を指定します。(LHA or ZIP or CAB）"},
    {u"pArcFileName", 0x6803002A, GP, VarType::String, u"", false, false,
     u"圧縮のための書庫ファイル名を指定します。"},
    {u"eArcFileName", 0x68030029, GP, VarType::String, u"", false, false,
     u"解凍したい書庫ファイル名を指定します。"},
    {u"oArcFileName", 0x68030028, GP, VarType::String, u"", false, false,
     u"Openしようとする書庫ファイル名を指定します。"},
    {u"eFilesList", 0x68030027, GP, VarType::String, u"", true, true,
     u"解凍したい書庫ファイル内のファイルリストです。値の取得のみ可能です。配列値です。"},
    {u"eFilesCount", 0x68030026, GP, VarType::I2, u"", false, false,
     u"解凍したいファイルリストのファイル数を得ます。値の取得のみ可能です。"},
    {u"eFolder", 0x68030025, GP, VarType::String, u"", false, false,
     u"解凍先のフォルダー名を指定します。"},
    {u"oFilesCount", 0x68030024, kGet, VarType::I2, u"", false, false,
     u"Openされた書庫ファイルに含まれるファイル数が返されます。"},
    {u"oFilesList", 0x68030023, GP, VarType::String, u"", true, true,
     u"Openされた書庫ファイル内のファイル名が返されます。配列値です。"},
    {u"oPath", 0x68030022, GP, VarType::String, u"", true, true,
     u"Openされた書庫ファイル内のファイルのPath名が返されます。配列値です。"},
    {u"oOrgSize", 0x68030021, GP, VarType::String, u"", true, true,
     u"Openされた書庫ファイル内のファイルのオリジナルサイズ値が返されます。配列値です。"},
    {u"oPackedSize", 0x68030020, GP, VarType::String, u"", true, true,
     u"Openされた書庫ファイル内のファイルの圧縮後サイズ値が返されます。配列値です。"},
    {u"oRatio", 0x6803001F, GP, VarType::String, u"", true, true,
     u"Openされた書庫ファイル内のファイル圧縮比が返されます。配列値です。"},
    {u"oType", 0x6803001E, GP, VarType::String, u"", true, true,
     u"Openされた書庫ファイル内のファイル圧縮形態が返されます。配列値です。"},
    {u"oDate", 0x6803001D, GP, VarType::String, u"", true, true,
     u"Openされた書庫ファイル内のファイルの日付が返されます。配列値です。"},
    {u"oTime", 0x6803001C, GP, VarType::String, u"", true, true,
     u"Openされた書庫ファイル内のファイルの時刻が返されます。配列値です。"},
    {u"oCRC", 0x6803001B, GP, VarType::String, u"", true, true,
     u"Openされた書庫ファイル内のファイルのCRC値が返されます。配列値です。"},
    {u"oAttr", 0x6803001A, GP, VarType::String, u"", true, true,
     u"Openされた書庫ファイル内のファイルの属性が返されます。配列値です。"},
    {u"swCommand", 0x68030019, GP, VarType::String, u"", false, false,
     u"追加のスイッチコマンドを指定する。"},
    {u"swUnderFolder", 0x68030018, GP, VarType::Bool, u"", false, false,
     u"ディレクトリ以下のすべてのファイルを有効にする。"},
    {u"swDialog", 0x68030017, GP, VarType::Bool, u"", false, false,
     u"処理を行う際に状況表示をするダイアログを表示する。"},
    {u"swGaugeProgress", 0x68030016, GP, VarType::Bool, u"", false, false,
     u"プログレスバーで表示する。"},
    {u"pTypeOfArc", 0x68030015, GP, VarType::I4, u"enmTypeOfArc", false, false,
     u"LHAファイルの圧縮形式を指定する。"},
    {u"pTypeOfCab", 0x68030014, GP, VarType::I4, u"enmTypeOfCab", false, false,
     u"CABファイルの圧縮形式を指定する。"},
    {u"pTypeOfIsh", 0x68030013, GP, VarType::I4, u"enmTypeOfIsh", false, false,
     u"ISHファイルの格納形式を指定する。"},
    {u"swFolderName", 0x68030012, GP, VarType::Bool, u"", false, false,
     u"フォルダー名を有効にする。"},
    {u"swAttribute", 0x68030011, GP, VarType::Bool, u"", false, false, u"属性を有効にする。"},
    {u"swCheckTimeStamp", 0x68030010, GP, VarType::Bool, u"", false, false,
     u"タイムスタンプをチェックする。"},
    {u"swDiskSpace", 0x6803000F, GP, VarType::Bool, u"", false, false,
     u"ディスクの残量をチェックします。"},
    {u"sfxType", 0x6803000E, GP, VarType::I4, u"enmSfxType", false, false,
     u"自己解凍書庫のタイプを指定します。 値の取得も可能です。"},
    {u"pFilesList", 0x6803000D, GP, VarType::String, u"", true, true,
     u"追加したファイル名が格納されています。値の取得のみ可能です。"},
    {u"pBaseFolder", 0x6803000C, GP, VarType::String, u"", false, false,
     u"圧縮を行う基準フォルダ名を指定します。"},
    {u"pFilesCount", 0x6803000B, GP, VarType::I2, u"", false, false,
     u"圧縮する追加したファイルの数を求めます。値の取得のみ可能です。"},
    {u"sfxFolder", 0x6803000A, GP, VarType::String, u"", false, false,
     u"自己解凍ファイルを作成するフォルダー名を指定します。"},
    {u"sfxArcFileName", 0x68030009, GP, VarType::String, u"", false, false,
     u"自己解凍ファイルを作成する元の書庫ファイル名を指定します。"},
    {u"sfxCommand", 0x68030008, GP, VarType::String, u"", false, false,
     u"自己解凍ファイルを作成するためのコマンドを指定します。"},
    {u"cabMultiVolume", 0x68030007, GP, VarType::I4, u"", false, false,
     u"CABファイルをMulti Volume で格納します。キロバイト単位です。"},
    {u"LevelLZX", 0x68030006, GP, VarType::I2, u"", false, false,
     u"CABファイル圧縮形式LZXのレベルを指定します。15～21"},
    {u"LevelQUANTUM", 0x68030005, GP, VarType::I2, u"", false, false,
     u"CABファイル圧縮形式QUANTUMのレベルを指定します。1～7"},
    {u"Version", 0x68030004, kGet, VarType::I4, u"", false, false,
     u"***32.DLL のバージョンを得る。"},
    {u"VersionZipJ", 0x68030003, kGet, VarType::I4, u"", false, false,
     u"ZIP32J.DLL のバージョンを得る。"},
    {u"Running", 0x68030002, kGet, VarType::Bool, u"", false, false,
     u"既にDLLが実行中か。True or False"},
    {u"RunningZipJ", 0x68030001, kGet, VarType::Bool, u"", false, false,
     u"既にZIP32J.DLLが実行中か。True or False"},
    {u"pFilesClear", 0x60030039, kMethod, VarType::Empty, u"", false, false,
     u"圧縮しようとするファイルリストをクリアします。"},
    {u"pAddFile", 0x6003003A, kMethod, VarType::Empty, u"", false, true,
     u"圧縮するファイル名を追加します。"},
    {u"eFilesClear", 0x6003003B, kMethod, VarType::Empty, u"", false, false,
     u"解凍のためのファイルリストをクリアします。"},
    {u"eAddFile", 0x6003003C, kMethod, VarType::Empty, u"", false, true,
     u"解凍したい書庫ファイル内のファイル名をリストに追加します。"},
    {u"Pack", 0x6003003D, kMethod, VarType::Empty, u"", false, false, u""},
    {u"Extract", 0x6003003E, kMethod, VarType::Empty, u"", false, false, u"解凍を実行します。"},
    {u"OpenFile", 0x6003003F, kMethod, VarType::Empty, u"", false, false,
     u"書庫ファイルのOpenを実行します。"},
    {u"SFX", 0x60030040, kMethod, VarType::Empty, u"", false, false,
     u"自己解凍ファイル作成を実行する。"},
    {u"AboutBox", -552, kMethod, VarType::Empty, u"", false, false, u""},
    {u"oBaseFolder", 0x68030000, GP, VarType::String, u"", false, false, u""},
};

TEST(MemberTable, MatchesThePublishedInterfaceSlotBySlot) {
    ASSERT_EQ(std::size(kMembers), std::size(kPublished));
    for (size_t i = 0; i < std::size(kPublished); ++i) {
        const Member& m = kMembers[i];
        const Expected& e = kPublished[i];
        SCOPED_TRACE(testing::Message() << "slot " << i);
        EXPECT_TRUE(m.name == e.name);
        EXPECT_EQ(m.dispid, e.dispid);
        EXPECT_EQ(m.kinds, e.kinds);
        EXPECT_EQ(m.type, e.type);
        EXPECT_TRUE(m.enumeration == e.enumeration);
        EXPECT_EQ(m.indexed, e.indexed);
        EXPECT_EQ(m.byReference, e.byReference);
        EXPECT_TRUE(m.help == e.help);
        EXPECT_EQ(m.get != nullptr, (e.kinds & kGet) != 0);
        EXPECT_EQ(m.put != nullptr, (e.kinds & kPut) != 0);
        EXPECT_EQ(m.call != nullptr, (e.kinds & kMethod) != 0);
    }
}

TEST(MemberTable, MethodsTakeTheirStringArgument) {
    for (const auto& m : kMembers) {
        const bool takesFile = m.name == u"pAddFile" || m.name == u"eAddFile";
        EXPECT_EQ(m.argCount, takesFile ? 1 : 0);
    }
}

TEST(MemberTable, TypeLibrary) {
    EXPECT_TRUE(kTypeLibrary.name == u"Quorvex6O");
    EXPECT_EQ(kTypeLibrary.major, 1);
    EXPECT_EQ(kTypeLibrary.minor, 0);
    EXPECT_TRUE(kTypeLibrary.description == u"Quorvex6 UNLHA32.DLL を使うためのOCX");
}

TEST(MemberTable, EnumerationsWithEveryValueInOrder) {
    struct ExpectedEnumeration {
        std::u16string_view name;
        std::vector<std::u16string_view> values;  // the value is the position
    };
    const ExpectedEnumeration published[] = {
        {u"enmArcMode", {u"LHA_", u"ZIP_", u"CAB_", u"ARJ_", u"ISH_", u"TAR_", u"RAR_"}},
        {u"enmTypeOfArc", {u"Lh0", u"Lh1", u"Lh5", u"Lh6", u"Lh7"}},
        {u"enmSfxType",
         {u"DOS_SFX_Large", u"DOS_SFX_Small", u"WinSFX", u"WinSFXM", u"WinSFX32", u"WinSFX32M"}},
        {u"enmTypeOfCab", {u"MSZIP", u"LZX", u"QUANTUM", u"NOCOMPRESS"}},
        {u"enmTypeOfIsh", {u"JIS8", u"Shift_JIS", u"JIS7", u"Shift_JIS_non_kana"}},
        {u"enmTypeOfIshOS", {u"MS_DOS", u"UNIX", u"CP_M", u"OS_9", u"Other", u"All_OS"}},
    };
    ASSERT_EQ(kEnumerations.size(), std::size(published));
    for (size_t i = 0; i < std::size(published); ++i) {
        const Enumeration& actual = kEnumerations[i];
        const ExpectedEnumeration& expected = published[i];
        SCOPED_TRACE(testing::Message() << "enumeration " << i);
        EXPECT_TRUE(actual.name == expected.name);
        ASSERT_EQ(actual.values.size(), expected.values.size());
        for (size_t v = 0; v < expected.values.size(); ++v) {
            EXPECT_TRUE(actual.values[v].name == expected.values[v]) << "value " << v;
            EXPECT_EQ(actual.values[v].value, static_cast<int32_t>(v));
        }
    }
}

TEST(MemberTable, EveryEnumeratedMemberNamesAPublishedEnumeration) {
    for (const auto& m : kMembers) {
        if (m.enumeration.empty()) continue;
        EXPECT_EQ(m.type, VarType::I4);
        EXPECT_TRUE(std::any_of(kEnumerations.begin(), kEnumerations.end(),
                                [&](const Enumeration& e) { return e.name == m.enumeration; }));
    }
}

}  // namespace
}  // namespace quorvex6
