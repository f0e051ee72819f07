// Packing into an existing archive keeps what it does not replace exactly as it was, whoever
// wrote it; entries that share their bytes are refused, not copied.
#include "backends/support/backend_library.h"
#include "quorvex6/result_codes.h"

namespace quorvex6::testing {
namespace {

namespace result = quorvex6::result;

class ZipUpdate : public ScratchTest {
  protected:
    // A copy of a test archive with "added.txt" packed into it.
    int32_t AddTo(const std::string& archive, std::string* log = nullptr) {
        fs::copy_file(TestData("zip/" + archive), old_);
        fs::copy_file(old_, archive_);
        WriteAll(root_ / "base/added.txt", "added\n");
        return zip_.Command(
            "Zip", "-q " + Quote(archive_) + " " + QuoteFolder(root_ / "base") + " added.txt", log);
    }
    std::string KeptEntries() const {
        return "python3 " + Quote(std::getenv("QV_KEPT_ENTRIES")) + " " + Quote(old_) + " " +
               Quote(archive_);
    }
    void SetUp() override {
        ScratchTest::SetUp();
        old_ = root_ / "old.zip";
        archive_ = root_ / "new.zip";
    }
    fs::path old_, archive_;
    BackendLibrary zip_{"zip32j"}, unzip_{"unzip32"};
};

TEST_F(ZipUpdate, KeptEntriesAreCopiedByteForByte) {
    struct Case {
        const char* archive;
        const char* check;  // a peer's test of the whole result
    };
    const Case cases[] = {
        {"aes-7zip.zip", "7zz t -pSecret "},  // AES extra field, NTFS times, version 51
        {"comments-infozip.zip",
         "unzip -tq "},                    // UID/GID and time fields, entry and archive comments
        {"dos-python.zip", "unzip -tq "},  // MS-DOS attributes, an unknown extra field
        {"descriptors-python.zip", "unzip -tq "},  // data descriptors, 32- and 64-bit
        {"tree-bsdtar.zip", "7zz t "},
    };
    for (const Case& c : cases) {
        fs::remove(old_);
        fs::remove(archive_);
        std::string log;
        EXPECT_EQ(AddTo(c.archive, &log), 0) << c.archive << "\n" << log;
        EXPECT_EQ(std::system((KeptEntries()).c_str()), 0) << c.archive;
        EXPECT_EQ(RunTool(c.check + Quote(archive_)), 0) << c.archive;
        EXPECT_EQ(RunTool("unzip -p " + Quote(archive_) + " added.txt | grep -qx added"), 0)
            << c.archive;
    }
}

TEST_F(ZipUpdate, AKeptReadOnlyMsDosEntryStaysReadOnly) {
    ASSERT_EQ(AddTo("dos-python.zip"), 0);
    fs::path out = root_ / "out";
    EXPECT_EQ(unzip_.Command("UnZip", "-x --i " + Quote(archive_) + " " + QuoteFolder(out) +
                                          " locked.txt readme.txt"),
              0);
    EXPECT_EQ(fs::status(out / "locked.txt").permissions() & fs::perms::all, fs::perms(0444));
    EXPECT_EQ(fs::status(out / "readme.txt").permissions() & fs::perms::all, fs::perms(0644));
}

TEST_F(ZipUpdate, EntriesThatShareBytesAreNotCopied) {
    for (const char* archive :
         {"overlap-shared-python.zip", "overlap-quoted-python.zip", "overlap-extra-python.zip"}) {
        fs::remove(old_);
        fs::remove(archive_);
        std::string log;
        EXPECT_EQ(AddTo(archive, &log), result::kBrokenHeader) << archive;
        EXPECT_NE(log.find("overlapping entries"), std::string::npos) << log;
        EXPECT_EQ(ReadAll(archive_), ReadAll(old_)) << archive;
    }
}

}  // namespace
}  // namespace quorvex6::testing
