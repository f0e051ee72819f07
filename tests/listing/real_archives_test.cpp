// OpenFile over archives that other tools made, through our own archiver libraries and the
// real loader: the listers meet real records and a real printed listing.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <map>
#include <string>

#include "control/module_state.h"
#include "listing/text_listers.h"
#include "quorvex6/control.h"
#include "quorvex6/enums.h"
#include "support/test_support.h"

namespace quorvex6::testing {
namespace {

std::string DataFile(const std::string& relative) {
    return std::string(QV_TEST_DATA_DIR) + "/" + relative;
}

// Path + FileName of every counted element, mapped to its row.
std::map<std::u16string, ListingEntry> Listed(int16_t count) {
    std::map<std::u16string, ListingEntry> rows;
    for (int16_t i = 0; i < count; ++i) {
        const ListingEntry& e = Module().ListingArrays->at(static_cast<size_t>(i));
        rows.emplace(e.Path + e.FileName, e);
    }
    return rows;
}

class RealArchives : public ::testing::Test {
  protected:
    RealArchives() {
        Module() = ModuleState{};
        // Stored times are UTC for tar and the library gives local DOS times; sizes in the C
        // locale's grouping.
        setenv("TZ", "UTC", 1);
        setenv("LC_ALL", "C", 1);
        tzset();
    }
    int32_t Open(int32_t kind, const std::string& file) {
        control->put_ArcMode(kind);
        control->put_oArcFileName(U16(DataFile(file)));
        control->OpenFile();
        return control->get_Error();
    }
    std::unique_ptr<Quorvex6> control = Quorvex6::CreateNew();
    CapturedMessages messages;
};

TEST_F(RealArchives, InfoZipArchiveEnumeratedAndPrintedAlike) {
    ASSERT_EQ(Open(ZIP_, "zip/tree-infozip.zip"), 0) << U8(control->get_Errorstring());
    ASSERT_EQ(control->get_oFilesCount(), 16);
    const auto enumerated = Listed(16);
    const ListingEntry& numbers = enumerated.at(u"sub/numbers.txt");
    EXPECT_EQ(numbers.Path, u"sub/");
    EXPECT_EQ(numbers.FileName, u"numbers.txt");
    EXPECT_EQ(numbers.OrgSize, u"13,893");
    EXPECT_EQ(numbers.Date, u"21/06/15");
    EXPECT_EQ(numbers.Time, u"12:34:56");
    EXPECT_EQ(enumerated.at(u"with space.txt").OrgSize, u"6");
    EXPECT_EQ(enumerated.at(u"日本語.txt").Path, u"");
    EXPECT_EQ(enumerated.at(u"empty-folder/").FileName, u"");

    // The same archive through the library's printed listing.
    int16_t count = 0;
    ASSERT_EQ(listing::ListZipText(U16(DataFile("zip/tree-infozip.zip")), count), 0);
    ASSERT_EQ(count, 16);
    const auto printed = Listed(count);
    for (const auto& [name, row] : enumerated) {
        SCOPED_TRACE(U8(name));
        ASSERT_EQ(printed.count(name), 1u);
        EXPECT_EQ(printed.at(name).Date, row.Date);
        EXPECT_EQ(printed.at(name).Time, row.Time);
        EXPECT_EQ(printed.at(name).Ratio, row.Ratio);
    }
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(RealArchives, GnuTarFoldersAreLeftOut) {
    ASSERT_EQ(Open(TAR_, "tar/tree-gnu-gnutar.tar"), 0) << U8(control->get_Errorstring());
    const int16_t count = control->get_oFilesCount();
    EXPECT_EQ(count, 6);
    const auto rows = Listed(count);
    for (const auto& [name, row] : rows) EXPECT_NE(row.FileName, u"") << U8(name);
    bool sawHello = false;
    for (const auto& [name, row] : rows) {
        if (row.FileName == u"hello.txt") {
            sawHello = true;
            EXPECT_EQ(row.OrgSize, u"6");
            EXPECT_EQ(row.Date, u"21/06/15");
        }
        if (row.FileName == u"long-name-file.txt") {
            EXPECT_TRUE(row.Path.ends_with(u"and-on-past-one-hundred-bytes-of-ustar-name-field/"));
        }
    }
    EXPECT_TRUE(sawHello);
}

TEST_F(RealArchives, JlhaArchiveOfEveryHeaderLevel) {
    for (const char* file :
         {"lha/lh5-level0-jlha.lzh", "lha/lh5-level1-jlha.lzh", "lha/lh5-level2-jlha.lzh"}) {
        SCOPED_TRACE(file);
        ASSERT_EQ(Open(LHA_, file), 0) << U8(control->get_Errorstring());
        ASSERT_EQ(control->get_oFilesCount(), 5);
        const auto rows = Listed(5);
        const ListingEntry& text = rows.at(u"text.txt");
        EXPECT_EQ(text.OrgSize, u"10,004");
        EXPECT_EQ(text.Type, u"-lh5-");
        EXPECT_EQ(text.Date, u"21/06/15");
        EXPECT_EQ(rows.at(u"empty.txt").OrgSize, u"");
        const std::u16string nested =
            rows.count(u"sub/deep/nested.txt") ? u"sub/deep/nested.txt" : u"sub\\deep\\nested.txt";
        EXPECT_EQ(rows.at(nested).FileName, u"nested.txt");
    }
}

}  // namespace
}  // namespace quorvex6::testing
