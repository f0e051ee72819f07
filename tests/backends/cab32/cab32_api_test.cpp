// cab32's other entry points: listing, checking, version, and the commands it refuses.
#include "backends/cab/cabinet_maker.h"
#include "backends/support/backend_library.h"
#include "quorvex6/result_codes.h"

namespace quorvex6::testing {
namespace {

namespace result = quorvex6::result;

class CabApi : public ScratchTest {
  protected:
    BackendLibrary cab_{"cab32"};
};

TEST_F(CabApi, ListingGivesEveryFileWithItsFacts) {
    std::string path = TestData("cab/libarchive/test_read_format_cab_2.cab").string();
    QvArchive h = cab_.Get<QvOpenArchiveFn>("CabOpenArchive")(0, path.c_str(), 0);
    ASSERT_NE(h, QvArchive{});
    struct Row {
        std::string name;
        uint32_t size;
    };
    std::vector<Row> rows;
    QvEntryInfo info;
    for (int32_t rc = cab_.Get<QvFindFirstFn>("CabFindFirst")(h, "*.*", &info); rc == 0;
         rc = cab_.Get<QvFindNextFn>("CabFindNext")(h, &info)) {
        rows.push_back({info.name, info.original_size});
        EXPECT_STREQ(info.method, "MSZIP") << info.name;
        EXPECT_STREQ(info.attribute, "a--w") << info.name;
        EXPECT_LE(info.compressed_size, info.original_size + 100) << info.name;
    }
    EXPECT_EQ(cab_.Get<QvCloseArchiveFn>("CabCloseArchive")(h), 0);
    ASSERT_EQ(rows.size(), 4u);
    const char* names[] = {"empty", "zero", "dir1/file1", "dir2/file2"};
    const uint32_t sizes[] = {0, 33000, 60, 78};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(rows[i].name, names[i]);
        EXPECT_EQ(rows[i].size, sizes[i]);
    }
}

TEST_F(CabApi, CheckArchiveModes) {
    WriteAll(root_ / "good.cab", MakeCabinet({{"a.txt", "hello"}}));
    WriteAll(root_ / "badsum.cab", MakeCabinet({{"a.txt", "hello"}}, 0xDEADBEEF));
    WriteAll(root_ / "text.cab", "just some text, no cabinet");
    struct Case {
        fs::path archive;
        int32_t mode;
        int32_t valid;
    };
    const Case cases[] = {
        {root_ / "good.cab", 0, 1},
        {root_ / "good.cab", 1, 1},
        {root_ / "good.cab", 2, 1},
        {TestData("cab/libarchive/test_read_format_cab_2.cab"), 2, 1},
        {root_ / "badsum.cab", 1, 1},  // the headers are sound
        {root_ / "badsum.cab", 2, 0},  // the data is not
        {TestData("cab/libmspack/partial_nodata.cab"), 2, 0},
        {TestData("cab/libmspack/bad_nofiles.cab"), 1, 0},
        {root_ / "text.cab", 1, 0},
        {root_ / "missing.cab", 1, 0},
    };
    auto check = cab_.Get<QvCheckArchiveFn>("CabCheckArchive");
    for (const Case& c : cases)
        EXPECT_EQ(check(c.archive.c_str(), c.mode), c.valid) << c.archive << " mode " << c.mode;
}

TEST_F(CabApi, CommandsNotServedAreRefused) {
    WriteAll(root_ / "good.cab", MakeCabinet({{"a.txt", "hello"}}));
    const std::string archive = Quote(root_ / "good.cab");
    struct Case {
        std::string line;
        int32_t code;
    };
    const Case cases[] = {
        {"-f " + archive + " " + QuoteFolder(root_), result::kNotSupportedApi},
        {"-a -ml:22 " + Quote(root_ / "new.cab") + " " + QuoteFolder(root_) + " *.*",
         result::kBadCommand},
        {"-a -ml:1 " + Quote(root_ / "new.cab") + " " + QuoteFolder(root_) + " *.*",
         result::kBadCommand},
        {"-a -mq:8 " + Quote(root_ / "new.cab") + " " + QuoteFolder(root_) + " *.*",
         result::kBadCommand},
        {"-a -v:14x0 " + Quote(root_ / "new.cab") + " " + QuoteFolder(root_) + " *.*",
         result::kBadCommand},
        {"-x -q " + archive + " " + QuoteFolder(root_) + " *.*", result::kBadCommand},
        {archive + " " + QuoteFolder(root_) + " *.*", result::kBadCommand},
        {"-x -a " + archive, result::kBadCommand},
        {"-x", result::kNoArchiveName},
        {"-x " + Quote(root_ / "missing.cab") + " " + QuoteFolder(root_),
         result::kCannotOpenArchive},
    };
    for (const Case& c : cases) EXPECT_EQ(cab_.Command("Cab", c.line), c.code) << c.line;
    EXPECT_FALSE(fs::exists(root_ / "a.txt"));
    EXPECT_FALSE(fs::exists(root_ / "new.cab"));
    EXPECT_GE(cab_.Get<QvGetVersion16Fn>("CabGetVersion")(), 100);
    EXPECT_EQ(cab_.Get<QvGetRunningFn>("CabGetRunning")(), 0);
}

}  // namespace
}  // namespace quorvex6::testing
