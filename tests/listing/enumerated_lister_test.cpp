#include <cstring>

#include "listing/listing_fixture.h"
#include "quorvex6/automation_error.h"
#include "quorvex6/enums.h"
#include "quorvex6/result_codes.h"

namespace quorvex6::testing {
namespace {

using Rows = std::vector<std::vector<std::u16string>>;

struct Kind {
    int32_t kind;
    std::string prefix;
};
const Kind kEnumerated[] = {{LHA_, "Unlha"}, {ZIP_, "UnZip"}, {CAB_, "Cab"},
                            {ARJ_, "Unarj"}, {TAR_, "Tar"},   {RAR_, "Unrar"}};

class EnumeratedListing : public ListingFixture {};

TEST_F(EnumeratedListing, EveryKindOpensFindsAndClosesThroughItsOwnLibrary) {
    control->put_hwnd(4242);
    for (const auto& k : kEnumerated) {
        SCOPED_TRACE(k.prefix);
        FakeArchiver scripted;
        scripted.Return(k.prefix + "OpenArchive", 77);
        scripted.Queue(k.prefix, EntryRecord{.name = "a.txt"});
        scripted.Queue(k.prefix, EntryRecord{.name = "b.txt"});
        ASSERT_EQ(Open(k.kind), 0);
        EXPECT_EQ(control->get_oFilesCount(), 2);
        EXPECT_EQ(control->get_oFilesList(1), u"b.txt");

        std::vector<std::string> expected = {k.prefix + "CheckArchive"};
        if (k.kind == ZIP_) expected.push_back("UnZipGetVersion");
        for (const char* e : {"OpenArchive", "FindFirst", "FindNext", "FindNext", "CloseArchive"}) {
            expected.push_back(k.prefix + e);
        }
        EXPECT_EQ(EntriesCalled(scripted), expected);
        const auto open = scripted.Calls(k.prefix + "OpenArchive").at(0);
        EXPECT_EQ(open.hwnd, 4242u);
        EXPECT_EQ(open.command, archivePath);
        EXPECT_EQ(open.mode, 0);
        EXPECT_EQ(scripted.Calls(k.prefix + "FindFirst").at(0).pattern, "*.*");
        for (const auto& call : scripted.Calls()) {
            if (call.entry.find("Find") != std::string::npos ||
                call.entry.ends_with("CloseArchive")) {
                EXPECT_EQ(call.hwnd, 77u) << call.entry;
            }
        }
    }
}

TEST_F(EnumeratedListing, ColumnsAreFormattedFromTheRecord) {
    fake.Queue("Unlha", EntryRecord{.name = "docs/readme.txt",
                                    .originalSize = 1234567,
                                    .compressedSize = 0,
                                    .crc = 0x1234ABCD,
                                    .ratio = 523,
                                    .date = 0x2AEF,
                                    .time = 0x85AF,
                                    .attribute = "-RWAX",
                                    .method = "-lh5-xy"});
    // Sizes of 2 GiB and more are positive, not wrapped to negative.
    fake.Queue("Unlha", EntryRecord{.name = "big.iso",
                                    .originalSize = 0xFFFFFFFF,
                                    .compressedSize = 0x80000000,
                                    .crc = 0xA,
                                    .ratio = 1000});
    ASSERT_EQ(Open(LHA_), 0);
    EXPECT_EQ(Row(*control, 0),
              (std::vector<std::u16string>{u"readme.txt", u"docs/", u"1,234,567", u"", u"52.3%",
                                           u"01/07/15", u"16:45:30", u"-rwa", u"-lh5-", u"ABCD"}));
    EXPECT_EQ(Row(*control, 1), (std::vector<std::u16string>{
                                    u"big.iso", u"", u"4,294,967,295", u"2,147,483,648", u"100.0%",
                                    u"80/00/00", u"00:00:00", u"----", u"-lh5-", u"000A"}));
}

TEST_F(EnumeratedListing, EmptyArchiveLeavesOneEmptyElement) {
    ASSERT_EQ(Open(CAB_), 0);
    EXPECT_EQ(control->get_oFilesCount(), 0);
    EXPECT_EQ(Row(*control, 0), std::vector<std::u16string>(10));
    EXPECT_THROW(control->get_oFilesList(1), AutomationError);
    EXPECT_EQ(EntriesCalled(fake).back(), "CabCloseArchive");
}

TEST_F(EnumeratedListing, TarFoldersAreNeitherListedNorCounted) {
    for (const char* name : {"docs/", "docs/a.txt", "docs/sub/", "b.txt", "docs/sub/"}) {
        fake.Queue("Tar", EntryRecord{.name = name, .originalSize = 5});
    }
    ASSERT_EQ(Open(TAR_), 0);
    EXPECT_EQ(control->get_oFilesCount(), 2);
    EXPECT_EQ(control->get_oPath(0), u"docs/");
    EXPECT_EQ(control->get_oFilesList(0), u"a.txt");
    EXPECT_EQ(control->get_oFilesList(1), u"b.txt");
    EXPECT_EQ(control->get_oOrgSize(1), u"5");
    // The trailing folders leave one uncounted element: the name split, no columns.
    ASSERT_EQ(TableSize(), 3u);
    EXPECT_EQ(control->get_oPath(2), u"docs/sub/");
    EXPECT_EQ(control->get_oFilesList(2), u"");
    EXPECT_EQ(control->get_oOrgSize(2), u"");
}

TEST_F(EnumeratedListing, OtherKindsListFolderEntries) {
    fake.Queue("Unlha", EntryRecord{.name = "docs\\"});
    fake.Queue("Unlha", EntryRecord{.name = "a:b/c\\d.txt"});
    ASSERT_EQ(Open(LHA_), 0);
    EXPECT_EQ(control->get_oFilesCount(), 2);
    EXPECT_EQ(control->get_oFilesList(0), u"");
    EXPECT_EQ(control->get_oPath(0), u"docs\\");
    EXPECT_EQ(control->get_oFilesList(1), u"d.txt");
    EXPECT_EQ(control->get_oPath(1), u"a:b/c\\");
}

TEST_F(EnumeratedListing, FailuresAfterTheStartKeepTheCountAndRecordTheCode) {
    struct Case {
        const char* name;
        const char* entry;
        int32_t value;
        int32_t error;
        size_t rows;
        std::vector<std::string> lastCalls;
    } const cases[] = {
        {"open fails",
         "UnrarOpenArchive",
         0,
         result::kCannotOpen,
         1,
         {"UnrarCheckArchive", "UnrarOpenArchive"}},
        {"close fails",
         "UnrarCloseArchive",
         0x8017,
         0x8017,
         3,
         {"UnrarFindNext", "UnrarCloseArchive"}},
        {"find fails", "UnrarFindFirst", 0x8017, 0, 1, {"UnrarFindFirst", "UnrarCloseArchive"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeArchiver scripted;
        scripted.Queue("Unrar", EntryRecord{.name = "one"});
        scripted.Queue("Unrar", EntryRecord{.name = "two"});
        ASSERT_EQ(Open(RAR_), 0);
        ASSERT_EQ(control->get_oFilesCount(), 2);
        scripted.Queue("Unrar", EntryRecord{.name = "three"});
        scripted.Return(c.entry, c.value);
        scripted.ClearCalls();
        EXPECT_EQ(Open(RAR_), c.error);
        EXPECT_EQ(control->get_oFilesCount(), c.error == 0 ? 0 : 2);
        EXPECT_EQ(TableSize(), c.rows);
        const auto calls = EntriesCalled(scripted);
        ASSERT_GE(calls.size(), c.lastCalls.size());
        EXPECT_EQ(std::vector<std::string>(calls.end() - static_cast<long>(c.lastCalls.size()),
                                           calls.end()),
                  c.lastCalls);
    }
}

// A record whose name field holds no NUL at all.
std::string UnterminatedRecord() {
    QvEntryInfo info = MakeEntryInfo(EntryRecord{});
    std::memset(info.name, 'n', sizeof info.name);
    return std::string(reinterpret_cast<const char*>(&info), sizeof info);
}

TEST_F(EnumeratedListing, UnterminatedNameIsTrappedAndTheHandleStillClosed) {
    fake.Return("UnarjOpenArchive", 9);
    fake.Queue("Unarj", EntryRecord{.name = "first.txt"});
    fake.QueueRaw("Unarj", UnterminatedRecord());
    EXPECT_EQ(Open(ARJ_), result::kTrapped);
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(control->get_Errorstring(), messages.messages()[0]);
    EXPECT_EQ(control->get_oFilesCount(), 0);
    EXPECT_EQ(control->get_oFilesList(0), u"first.txt");
    EXPECT_EQ(TableSize(), 2u);
    const auto closes = fake.Calls("UnarjCloseArchive");
    ASSERT_EQ(closes.size(), 1u);
    EXPECT_EQ(closes[0].hwnd, 9u);
}

TEST_F(EnumeratedListing, The32768thEntryIsTrapped) {
    fake.Queue("Cab", EntryRecord{.name = "x"});
    ASSERT_EQ(Open(CAB_), 0);
    ASSERT_EQ(control->get_oFilesCount(), 1);
    FakeArchiver many;
    const QvEntryInfo record = MakeEntryInfo(EntryRecord{.name = "f.txt", .originalSize = 1});
    for (int i = 0; i < 32768; ++i) many.Queue("Cab", record);
    EXPECT_EQ(Open(CAB_), result::kTrapped);
    EXPECT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(control->get_oFilesCount(), 1);
    // Stored at index 32767 before the count would pass 32767.
    EXPECT_EQ(TableSize(), 32768u);
    EXPECT_EQ(control->get_oOrgSize(32767), u"1");
    EXPECT_EQ(many.Calls("CabCloseArchive").size(), 1u);
}

}  // namespace
}  // namespace quorvex6::testing
