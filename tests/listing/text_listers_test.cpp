#include "listing/text_listers.h"

#include <string>

#include "control/error_reporting.h"
#include "listing/listing_fixture.h"
#include "listing/listing_table.h"
#include "listing/text_listing.h"
#include "quorvex6/enums.h"
#include "quorvex6/result_codes.h"

namespace quorvex6::testing {
namespace {

using listing::ParseIshListing;
using listing::ParseZipTextListing;
using Columns = std::vector<std::u16string>;
namespace text = listing::text;

const std::u16string kHeading =
    u"Archive:  a.zip\n Length  Size  Ratio  Date  Time  Attr  Method  CRC\n";
const std::u16string kSeparator = u"--------------\n";

// The table as a host reads it, row by row (FileName, Path, OrgSize, PackedSize, Ratio, Date,
// Time, Attr, Type, CRC).
std::vector<Columns> Table() {
    std::vector<Columns> rows;
    for (const auto& e : *Module().ListingArrays) {
        rows.push_back({e.FileName, e.Path, e.OrgSize, e.PackedSize, e.Ratio, e.Date, e.Time,
                        e.Attr, e.Type, e.CRC});
    }
    return rows;
}

class TextParsing : public ::testing::Test {
  protected:
    TextParsing() { Module() = ModuleState{}; }
    // text as the library leaves it in the output buffer: NULs after it.
    static std::u16string Buffer(std::u16string text) {
        if (text.size() < text::kBufferSize) text.resize(text::kBufferSize, u'\0');
        return text;
    }
    int32_t Zip(const std::u16string& text) {
        listing::RestartListing(count);
        return ParseZipTextListing(Buffer(text), count);
    }
    int32_t Ish(const std::u16string& text) {
        listing::RestartListing(count);
        return ParseIshListing(Buffer(text), count);
    }
    int16_t count = -1;
};

TEST_F(TextParsing, ZipEntryLinesArePeeledFromTheRight) {
    struct Case {
        const char* name;
        std::u16string line;
        Columns row;
    } const cases[] = {
        {"two-space columns",
         u"docs/my file.txt  s1  s2  r  d  t  a  m  c",
         {u"my file.txt", u"docs/", u"s1", u"s2", u"r", u"d", u"t", u"a", u"m", u"c"}},
        {"five words", u"name t a m c", {u"name", u"", u"", u"", u"", u"", u"t", u"a", u"m", u"c"}},
        {"one word", u"alone", {u"alone", u"", u"", u"", u"", u"", u"", u"", u"", u""}},
        {"trailing blank",
         u"n 1 2 3 4 5 6 7 ",
         {u"n", u"", u"1", u"2", u"3", u"4", u"5", u"6", u"7", u""}},
        {"carriage return stays",
         u"n 1 2 3 4 5 6 7 c\r",
         {u"n", u"", u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"c\r"}},
        {"back slash folder",
         u"  a\\b.c 1 2 3 4 5 6 7 8",
         {u"b.c", u"a\\", u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Zip(kHeading + c.line + u"\n" + kSeparator + u"total\n"), 0);
        EXPECT_EQ(count, 1);
        EXPECT_EQ(Table(), std::vector<Columns>{c.row});
    }
}

TEST_F(TextParsing, ZipListingEndsAtTheSeparatorOrAfter257Entries) {
    EXPECT_EQ(Zip(kHeading + kSeparator), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(Table(), std::vector<Columns>{Columns(10)});

    // Thirteen hyphens are an entry; a separator may carry more text.
    EXPECT_EQ(Zip(kHeading + u"------------- x\n--------------------- 2 files\n"), 0);
    EXPECT_EQ(count, 1);

    std::u16string many = kHeading;
    for (int i = 0; i < 300; ++i)
        many += u"f" + std::u16string(1, u'a' + i % 26) + u" 1 2 3 4 5 6 7 8\n";
    EXPECT_EQ(Zip(many), 0);  // no separator needed after the 257th
    EXPECT_EQ(count, 257);
    EXPECT_EQ(Module().ListingArrays->size(), 257u);
}

TEST_F(TextParsing, TextCutShortIsATrappedFailure) {
    struct Case {
        const char* name;
        std::u16string text;
        int16_t stored;
    } const cases[] = {
        {"no separator", kHeading + u"a 1 2 3 4 5 6 7 8\nb 1 2 3 4 5 6 7 8", 1},
        {"empty output", std::u16string(text::kBufferSize, u'\0'), 0},
        {"heading only", u"one line\n", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(Zip(c.text), TrappedFailure);
        EXPECT_EQ(count, c.stored);
        EXPECT_THROW(Ish(c.text), TrappedFailure);
    }
}

TEST_F(TextParsing, OnlyTheTextBeforeTheFirstNulCounts) {
    std::u16string buffer = kHeading + u"a 1 2 3 4 5 6 7 8\n" + kSeparator;
    buffer += u'\0';
    buffer += u"b 1 2 3 4 5 6 7 8\n";
    buffer.resize(text::kBufferSize, u'\0');
    EXPECT_EQ(Zip(buffer), 0);
    EXPECT_EQ(count, 1);
}

TEST_F(TextParsing, AFullBufferEndsInTheMoreMarker) {
    // Entry lines up to the buffer's last character and no NUL: 257 entries come before the
    // marker, so the listing succeeds.
    std::u16string buffer = kHeading;
    while (buffer.size() < text::kBufferSize) buffer += u"name 1 2 3 4 5 6 7 8\n";
    buffer.resize(text::kBufferSize);
    EXPECT_EQ(Zip(buffer), 0);
    EXPECT_EQ(count, 257);

    // Few entries and no NUL: the marker line has no line feed.
    std::u16string few = kHeading + u"a 1 2 3 4 5 6 7 8\n";
    few.resize(text::kBufferSize, u' ');
    EXPECT_THROW(Zip(few), TrappedFailure);
}

const std::u16string kIshHeading = u"ish32 listing\nof a.ish\nname\nsize date time type\n";

TEST_F(TextParsing, IshEntriesTakeTwoLines) {
    ASSERT_EQ(Ish(kIshHeading + kSeparator + u"  readme.txt  \n12345 d t m\n" + kSeparator), 0);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(Table(), (std::vector<Columns>{
                           {u"readme.txt", u"", u"12,345", u"", u"", u"d", u"t", u"", u"m", u""}}));
}

TEST_F(TextParsing, IshSizeIsTheLeadingNumber) {
    struct Case {
        std::u16string detail, size;
    } const cases[] = {
        {u"12345 d t m", u"12,345"},
        {u"1 234 567 d t m", u"1,234,567"},
        {u"007 d t m", u"7"},
        {u"0 d t m", u""},
        {u"abc d t m", u""},
        {u"12x d t m", u"12"},
        {u"12.5 d t m", u"13"},
        {u"99.4 d t m", u"99"},
        {u"999.5 d t m", u"1,000"},
        {u"-1234 d t m", u"-1,234"},
        {u"+12 d t m", u"12"},
        {u"d t m", u""},
        {u"123456789012345678901234 d t m", u"123,456,789,012,345,678,901,234"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::U8(c.detail));
        ASSERT_EQ(Ish(kIshHeading + kSeparator + u"f\n" + c.detail + u"\n" + kSeparator), 0);
        EXPECT_EQ(Module().ListingArrays->at(0).OrgSize, c.size);
    }
}

TEST_F(TextParsing, IshLineRules) {
    struct Case {
        const char* name;
        std::u16string body;
        int16_t count;
        std::vector<std::u16string> names;  // FileName of every element
    } const cases[] = {
        {"one empty line is skipped", u"\na.txt\n1 d t m\n" + kSeparator, 1, {u"a.txt"}},
        {"a second one is the name", u"\n\n1 d t m\n" + kSeparator, 1, {u""}},
        {"separator after an empty line", u"\n" + kSeparator, 0, {u""}},
        {"separator as detail", u"a\n1 d t m\nb.txt\n" + kSeparator, 1, {u"a", u"b.txt"}},
        {"folder split", u"docs\\x.txt\n1 d t m\n" + kSeparator, 1, {u"x.txt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Ish(kIshHeading + kSeparator + c.body), 0);
        EXPECT_EQ(count, c.count);
        std::vector<std::u16string> names;
        for (const auto& e : *Module().ListingArrays) names.push_back(e.FileName);
        EXPECT_EQ(names, c.names);
    }
}

TEST_F(TextParsing, IshHeadingWithoutSeparatorIsAtMost257Lines) {
    std::u16string text = u"x\ny\n";
    for (int i = 0; i < 257; ++i) text += u"heading\n";
    text += u"a.txt\n1 d t m\n" + kSeparator;
    ASSERT_EQ(Ish(text), 0);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(Module().ListingArrays->at(0).FileName, u"a.txt");
}

TEST_F(TextParsing, IshStopsAfter257Entries) {
    std::u16string text = kIshHeading + kSeparator;
    for (int i = 0; i < 260; ++i) text += u"f\n1 d t m\n";
    ASSERT_EQ(Ish(text), 0);
    EXPECT_EQ(count, 257);
}

// Through OpenFile and the fake libraries.
class TextListing : public ListingFixture {
  protected:
    static std::string Bytes(const std::u16string& text) { return U8(text); }
};

TEST_F(TextListing, ZipLibrariesBefore80PrintTheirListing) {
    control->put_hwnd(31);
    struct Case {
        int32_t version;
        bool text;
    } const cases[] = {{79, true}, {80, false}, {65535, true}, {32767, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        FakeArchiver scripted;
        scripted.Return("UnZipGetVersion", c.version);
        scripted.Print("UnZip", Bytes(kHeading + u"a.txt 1 2 3 4 5 6 7 8\n" + kSeparator));
        scripted.Queue("UnZip", EntryRecord{.name = "e1"});
        scripted.Queue("UnZip", EntryRecord{.name = "e2"});
        ASSERT_EQ(Open(ZIP_), 0);
        EXPECT_EQ(control->get_oFilesCount(), c.text ? 1 : 2);
        EXPECT_EQ(scripted.Calls("UnZip").size(), c.text ? 1u : 0u);
        EXPECT_EQ(scripted.Calls("UnZipOpenArchive").size(), c.text ? 0u : 1u);
        if (c.text) {
            const auto call = scripted.Calls("UnZip").at(0);
            EXPECT_EQ(call.command, "-l " + archivePath);
            EXPECT_EQ(call.hwnd, 31u);
            EXPECT_EQ(call.size, 21060u);
        }
    }
}

TEST_F(TextListing, ZipNameWithBlanksGoesUnquoted) {
    const std::string spaced = dir.Write("my archive.zip", "z").string();
    control->put_oArcFileName(U16(spaced));
    fake.Return("UnZipGetVersion", 50);
    fake.Print("UnZip", Bytes(kHeading + kSeparator));
    ASSERT_EQ(Open(ZIP_), 0);
    EXPECT_EQ(fake.Calls("UnZip").at(0).command, "-l " + spaced);
}

TEST_F(TextListing, IshListsThroughIshFileList) {
    fake.Print("IshFileList", Bytes(kIshHeading + kSeparator +
                                    u"日本.txt\n2048 98/01/02 03:04 jis7\n" + kSeparator));
    ASSERT_EQ(Open(ISH_), 0);
    EXPECT_EQ(control->get_oFilesCount(), 1);
    EXPECT_EQ(Row(*control, 0),
              (std::vector<std::u16string>{u"日本.txt", u"", u"2,048", u"", u"", u"98/01/02",
                                           u"03:04", u"", u"jis7", u""}));
    const auto call = fake.Calls("IshFileList").at(0);
    EXPECT_EQ(call.command, archivePath);
    EXPECT_EQ(call.size, 21060u);
}

TEST_F(TextListing, LibraryErrorsAndTrappedFailuresKeepTheCount) {
    struct Case {
        int32_t kind;
        std::string entry;
        int32_t code;
        std::u16string printed;
        int32_t error;
    } const cases[] = {
        {ZIP_, "UnZip", 0x8018, kHeading + kSeparator, 0x8018},
        {ISH_, "IshFileList", 0x801B, kIshHeading + kSeparator, 0x801B},
        {ZIP_, "UnZip", 0, kHeading + u"a 1 2 3 4 5 6 7 8\n", result::kTrapped},
        {ISH_, "IshFileList", 0, kIshHeading + kSeparator + u"a\n1 d t m\n", result::kTrapped},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry + " " + std::to_string(c.error));
        FakeArchiver scripted;
        scripted.Return("UnZipGetVersion", 10);
        scripted.Print(c.entry, Bytes(kHeading + u"a 1 2 3 4 5 6 7 8\n" + u"b 1 2 3 4 5 6 7 8\n" +
                                      kSeparator));
        scripted.Print("IshFileList",
                       Bytes(kIshHeading + kSeparator + u"a\n1 d t m\nb\n1 d t m\n" + kSeparator));
        ASSERT_EQ(Open(c.kind), 0);
        ASSERT_EQ(control->get_oFilesCount(), 2);
        const size_t shown = messages.messages().size();

        scripted.Print(c.entry, Bytes(c.printed));
        scripted.Return(c.entry, c.code);
        EXPECT_EQ(Open(c.kind), c.error);
        EXPECT_EQ(control->get_oFilesCount(), 2);
        if (c.error == result::kTrapped) {
            ASSERT_EQ(messages.messages().size(), shown + 1);
            EXPECT_EQ(control->get_Errorstring(), messages.messages().back());
            EXPECT_EQ(control->get_oFilesList(0), u"a");  // what was read before stays
        } else {
            EXPECT_EQ(messages.messages().size(), shown);
            EXPECT_EQ(TableSize(), 1u);
            EXPECT_EQ(control->get_oFilesList(0), u"");
        }
    }
}

}  // namespace
}  // namespace quorvex6::testing
