#include "quorvex6/file_property_bag.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "control/persisted_properties.h"
#include "control/state.h"
#include "persistence/property_text.h"
#include "platform/filesystem.h"
#include "quorvex6/control.h"
#include "support/test_support.h"

namespace quorvex6 {
namespace {

using persistence::PropertyText;
using testing::TempDir;
using testing::U16;

std::string Slurp(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::u16string PathOf(const std::filesystem::path& file) { return U16(file.string()); }

std::vector<std::string> FolderListing(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FilePropertyBag, RoundTripsEveryPersistedProperty) {
    const std::u16string awkward[] = {
        u"  leading and trailing blanks  ",
        u"say \"hi\" \\ back\\slash",
        u"line one\r\nline two\nthree\ttab",
        U16("書庫ファイル名 ＿全角　空白"),
        u"\x01\x1F\x7F\x85 controls \x2028 separators \x2029",
        u"surrogates \xD83D\xDE00 pair, lone \xD800 and \xDC00",
        u"= # ; not a comment",
        u"\\u0041 stays literal",
    };
    auto c = Quorvex6::CreateNew();
    ControlState& s = c->state();
    size_t n = 0;
    for (const PersistedProperty& p : kPersisted) {
        if (p.str != nullptr) s.*p.str = awkward[n++ % std::size(awkward)];
        if (p.i4 != nullptr) s.*p.i4 = n % 2 ? INT32_MIN : INT32_MAX, ++n;
        if (p.i2 != nullptr)
            s.*p.i2 = p.type == Saved::Bool ? int16_t(p.numericDefault ? 0 : -1) : INT16_MIN;
    }
    s.swCommand = u"  -x  ";
    TempDir dir;
    const auto file = dir.path() / "settings.txt";
    {
        FilePropertyBag bag(PathOf(file));
        c->Save(bag);
        bag.Commit();
    }
    FilePropertyBag reread(PathOf(file));
    Quorvex6 loaded;
    loaded.Load(reread);
    for (const PersistedProperty& p : kPersisted) {
        SCOPED_TRACE(testing::U8(std::u16string(p.key)));
        if (p.str != nullptr) {
            EXPECT_TRUE(loaded.state().*p.str == s.*p.str);
        } else if (p.i4 != nullptr) {
            EXPECT_EQ(loaded.state().*p.i4, s.*p.i4);
        } else {
            EXPECT_EQ(loaded.state().*p.i2, s.*p.i2);
        }
    }
    // Every line a line of its own: nothing inside a value breaks it.
    const std::string text = Slurp(file);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 25);
    EXPECT_EQ(text.find('\r'), std::string::npos);
}

TEST(FilePropertyBag, WritesTheDocumentedText) {
    auto c = Quorvex6::CreateNew();
    c->put_ArcMode(3);
    c->put_LevelLZX(21);
    c->put_swDialog(0);
    c->state().swCommand = u" -a \"b\"\t";
    c->put_pArcFileName(U16("書庫.lzh"));
    TempDir dir;
    const auto file = dir.path() / "a.txt";
    FilePropertyBag bag(PathOf(file));
    c->Save(bag);
    bag.Commit();
    EXPECT_EQ(Slurp(file),
              "ArcMode = 3&\n"
              "pArcFileName = \"書庫.lzh\"\n"
              "swDialog = False\n"
              "swCommand = \" -a \\\"b\\\"\\t\"\n"
              "LevelLZX = 21\n");
}

TEST(FilePropertyBag, ReadsTheValuesOfTheFormat) {
    struct Case {
        const char* line;
        Variant value;
    };
    const Case cases[] = {
        {"k = 3", Variant(int16_t{3})},
        {"k=-32768", Variant(int16_t{-32768})},
        {"k = +32767", Variant(int16_t{32767})},
        {"k = 32768", Variant(int32_t{32768})},
        {"k = 3&", Variant(int32_t{3})},
        {"k = -2147483648&", Variant(int32_t{INT32_MIN})},
        {"k = 007", Variant(int16_t{7})},
        {"k = true", Variant(Boolean{true})},
        {"k = FALSE", Variant(Boolean{false})},
        {"k = Empty", Variant()},
        {"k = \"\"", Variant(u"")},
        {"\tk\t=\t\" a \"\t", Variant(u" a ")},
        {"k = \"\\u00e9\\u00C9\\n\\\"\"", Variant(u"éÉ\n\"")},
        {"k = \"\\uD83D\\uDE00\"", Variant(u"\xD83D\xDE00")},
        {"k = \"raw\ttab\"", Variant(u"raw\ttab")},
        {"k = \"a = b # c\"", Variant(u"a = b # c")},
        {"ключ_1.x = 1", Variant(int16_t{1})},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.line);
        const PropertyText text = PropertyText::Parse(t.line);
        ASSERT_EQ(text.lines().size(), 1u);
        ASSERT_TRUE(text.lines()[0].key.has_value());
        EXPECT_EQ(text.lines()[0].value, t.value);
    }
    // Byte-order mark, CR LF line ends, blank and comment lines; a last line without its break.
    const PropertyText text =
        PropertyText::Parse("\xEF\xBB\xBF# settings\r\n\r\n  \r\na = 1\r\nb = 2&");
    ASSERT_EQ(text.lines().size(), 5u);
    EXPECT_EQ(*text.Find(u"a"), Variant(int16_t{1}));
    EXPECT_EQ(*text.Find(u"b"), Variant(int32_t{2}));
    EXPECT_EQ(text.Format(), "# settings\n\n  \na = 1\nb = 2&\n");
}

TEST(FilePropertyBag, AMalformedLineIsReportedWithItsNumber) {
    struct Case {
        const char* text;
        size_t line;
    };
    const Case cases[] = {
        {"a = 1\nb 2\n", 2},
        {"a =\n", 1},
        {"= 1\n", 1},
        {"a b = 1\n", 1},
        {"a\"b = 1\n", 1},
        {"a = yes\n", 1},
        {"a = 1 2\n", 1},
        {"a = 1.5\n", 1},
        {"a = &\n", 1},
        {"a = 2147483648\n", 1},
        {"a = 99999999999999999999999&\n", 1},
        {"a = \"open\n", 1},
        {"a = \"x\" y\n", 1},
        {"a = \"\\q\"\n", 1},
        {"a = \"\\u12\"\n", 1},
        {"a = \"\\u12G4\"\n", 1},
        {"ok = 1\r\n# fine\r\na = \"bad \xFF byte\"\r\n", 3},
        {"a = \"overlong \xC0\xAF\"\n", 1},
        {"a = \"surrogate \xED\xA0\x80\"\n", 1},
        {"a = \"cut \xE6\x9B\"\n", 1},
        {"# comment with a \x01\n", 1},
        {"a = \"lone\rcr\"\n", 1},
        {"a = \"nul\0\"\n", 1},
        {"a = 1\nb = 2\na = 3\n", 3},
        {"\xEF\xBB\xBF\xEF\xBB\xBF"
         "a = 1\n",
         1},  // a second mark would start the key
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.text);
        std::string bytes = t.text;
        if (bytes.find("nul") != std::string::npos) bytes = std::string("a = \"nul\0\"\n", 11);
        try {
            PropertyText::Parse(bytes);
            ADD_FAILURE() << "accepted";
        } catch (const PropertyFileError& e) {
            EXPECT_EQ(e.line(), t.line);
            EXPECT_EQ(std::string(e.what()).rfind("line " + std::to_string(t.line) + ": ", 0), 0u);
        }
    }
    try {
        PropertyText::Parse("a = 1\nb = 2\na = 3\n");
    } catch (const PropertyFileError& e) {
        EXPECT_EQ(std::string(e.what()), "line 3: the key repeats line 1");
    }
}

TEST(FilePropertyBag, RewritingKeepsWhatTheControlDoesNotKnow) {
    TempDir dir;
    const auto file = dir.Write("s.txt",
                                "# written by hand\n"
                                "ArcMode = 1&\n"
                                "HostWindowLeft = 120\n"
                                "\n"
                                "LevelLZX = 16\n"
                                "HostTitle = \"mine\"\n");
    auto c = Quorvex6::CreateNew();
    FilePropertyBag bag(PathOf(file));
    c->Load(bag);
    EXPECT_EQ(c->get_ArcMode(), 1);
    c->put_ArcMode(0);  // back to its default: the key goes
    c->put_LevelLZX(17);
    c->put_swDiskSpace(0);
    c->Save(bag);
    bag.Commit();
    EXPECT_EQ(Slurp(file),
              "# written by hand\n"
              "HostWindowLeft = 120\n"
              "\n"
              "LevelLZX = 17\n"
              "HostTitle = \"mine\"\n"
              "swDiskSpace = False\n");
}

TEST(FilePropertyBag, MissingFilesInvalidKeysAndUnreadableFiles) {
    TempDir dir;
    const auto file = dir.path() / "new.txt";
    FilePropertyBag bag(PathOf(file));
    EXPECT_EQ(bag.Read(u"ArcMode", int16_t{0}), Variant(int16_t{0}));
    EXPECT_FALSE(std::filesystem::exists(file));
    for (const char16_t* key : {u"", u"a b", u"a=b", u"#a", u"a\nb", u"a\"b", u"\xD800",
                                u"\xFEFF"
                                u"a"}) {
        EXPECT_THROW(bag.Write(key, int16_t{1}, int16_t{0}), std::invalid_argument);
    }
    bag.Write(u"ok", int16_t{1}, int16_t{0});
    bag.Commit();
    EXPECT_EQ(Slurp(file), "ok = 1\n");

    EXPECT_THROW(FilePropertyBag(PathOf(dir.path())), std::runtime_error);
    const auto large = dir.Write("large.txt", std::string(FilePropertyBag::kMaxFileBytes + 1, '#'));
    EXPECT_THROW(FilePropertyBag(PathOf(large)), std::runtime_error);
    const auto bad = dir.Write("bad.txt", "a = 1\nb\n");
    try {
        FilePropertyBag unreadable(PathOf(bad));
        ADD_FAILURE() << "accepted";
    } catch (const PropertyFileError& e) {
        EXPECT_EQ(e.line(), 2u);
    }
    EXPECT_THROW(FilePropertyBag(PathOf(dir.path() / "no-folder" / "s.txt")).Commit(),
                 std::runtime_error);
}

TEST(ReplaceFileAtomically, ReplacesWholeKeepsPermissionsAndLeavesNothingOnFailure) {
    TempDir dir;
    const auto file = dir.Write("f.txt", "old content that is longer");
    ASSERT_EQ(chmod(file.c_str(), 0640), 0);
    platform::ReplaceFileAtomically(PathOf(file), "new");
    EXPECT_EQ(Slurp(file), "new");
    struct stat info {};
    ASSERT_EQ(stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);

    // The rename fails over a folder that is not empty: the folder stays, no new file is left.
    dir.Write("busy/inside.txt", "kept");
    EXPECT_THROW(platform::ReplaceFileAtomically(PathOf(dir.path() / "busy"), "x"),
                 std::runtime_error);
    EXPECT_EQ(Slurp(dir.path() / "busy" / "inside.txt"), "kept");
    EXPECT_EQ(FolderListing(dir.path()), (std::vector<std::string>{"busy", "f.txt"}));

    EXPECT_EQ(platform::ReadFile(PathOf(dir.path() / "none"), 10), std::nullopt);
    EXPECT_EQ(platform::ReadFile(PathOf(file), 3), std::optional<std::string>("new"));
    EXPECT_THROW(platform::ReadFile(PathOf(file), 2), std::runtime_error);
}

}  // namespace
}  // namespace quorvex6
