#include <functional>

#include "listing/listing_fixture.h"
#include "quorvex6/automation_error.h"
#include "quorvex6/enums.h"
#include "quorvex6/result_codes.h"

namespace quorvex6::testing {
namespace {

class OpenFile : public ListingFixture {
  protected:
    // Lists two entries, so that the checks below can show what a failure keeps.
    void ListTwo(FakeArchiver& with) {
        with.Queue("Unlha", EntryRecord{.name = "one"});
        with.Queue("Unlha", EntryRecord{.name = "two"});
        ASSERT_EQ(Open(LHA_), 0);
        ASSERT_EQ(control->get_oFilesCount(), 2);
        with.ClearCalls();
    }
    void ListTwo() { ListTwo(fake); }
};

int32_t AutomationNumber(const std::function<void()>& call) {
    try {
        call();
    } catch (const AutomationError& error) {
        return error.number();
    }
    return 0;
}

TEST_F(OpenFile, ChecksComeBeforeAnyListing) {
    struct Case {
        const char* name;
        std::function<void(FakeArchiver&)> arrange;
        int32_t kind;
        int32_t error;
        std::vector<std::string> calls;
    } const cases[] = {
        {"missing file",
         [this](FakeArchiver&) { control->put_oArcFileName(U16(dir.str() + "/gone.lzh")); },
         LHA_,
         result::kFileNotFound,
         {}},
        {"a folder is no file",
         [this](FakeArchiver&) { control->put_oArcFileName(U16(dir.Folder("f.lzh").string())); },
         LHA_,
         result::kFileNotFound,
         {}},
        {"not an archive",
         [](FakeArchiver& f) { f.Return("CabCheckArchive", 0); },
         CAB_,
         result::kCannotOpen,
         {"CabCheckArchive"}},
        {"unknown kind", [](FakeArchiver&) {}, 7, result::kCannotOpen, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeArchiver scripted;
        control->put_oArcFileName(U16(archivePath));
        ListTwo(scripted);
        c.arrange(scripted);
        EXPECT_EQ(Open(c.kind), c.error);
        EXPECT_EQ(EntriesCalled(scripted), c.calls);
        EXPECT_EQ(control->get_oFilesCount(), 2);
        EXPECT_EQ(control->get_oFilesList(1), u"two");
        EXPECT_EQ(TableSize(), 2u);
    }
}

TEST_F(OpenFile, ArchiveCheckAsksWithModeOne) {
    ASSERT_EQ(Open(TAR_), 0);
    const auto check = fake.Calls("TarCheckArchive").at(0);
    EXPECT_EQ(check.command, archivePath);
    EXPECT_EQ(check.mode, 1);
}

TEST_F(OpenFile, SuccessClearsThePreviousError) {
    control->put_oArcFileName(u"/nonexistent/a.lzh");
    ASSERT_EQ(Open(LHA_), result::kFileNotFound);
    control->put_oArcFileName(U16(archivePath));
    EXPECT_EQ(Open(LHA_), 0);
    EXPECT_EQ(control->get_Errorstring(), u"");
}

TEST_F(OpenFile, ListingPropertiesReadWithinTheTableBoundsOnly) {
    using Getter = std::u16string (Quorvex6::*)(int16_t) const;
    const Getter getters[] = {&Quorvex6::get_oFilesList, &Quorvex6::get_oPath,
                              &Quorvex6::get_oOrgSize,   &Quorvex6::get_oPackedSize,
                              &Quorvex6::get_oRatio,     &Quorvex6::get_oType,
                              &Quorvex6::get_oDate,      &Quorvex6::get_oTime,
                              &Quorvex6::get_oCRC,       &Quorvex6::get_oAttr};
    for (const Getter get : getters) {
        EXPECT_EQ(AutomationNumber([&] { (control.get()->*get)(0); }),
                  automation::kSubscriptOutOfRange);
    }
    ListTwo();
    for (const Getter get : getters) {
        EXPECT_EQ(AutomationNumber([&] { (control.get()->*get)(1); }), 0);
        for (const int16_t i : {int16_t{2}, int16_t{-1}, int16_t{32767}}) {
            EXPECT_EQ(AutomationNumber([&] { (control.get()->*get)(i); }),
                      automation::kSubscriptOutOfRange);
        }
    }
}

TEST_F(OpenFile, ListingPropertiesAreReadOnly) {
    ListTwo();
    for (const char16_t* name : {u"oFilesList", u"oPath", u"oOrgSize", u"oPackedSize", u"oRatio",
                                 u"oType", u"oDate", u"oTime", u"oCRC", u"oAttr"}) {
        const Variant args[] = {Variant(int16_t{0}), Variant(std::u16string(u"x"))};
        EXPECT_EQ(AutomationNumber([&] { control->Invoke(name, InvokeKind::Put, args); }),
                  automation::kReadOnlyProperty);
    }
    EXPECT_EQ(control->get_oFilesList(0), u"one");
}

TEST_F(OpenFile, InstancesShareTheTableButKeepTheirCounts) {
    auto other = Quorvex6::CreateNew();
    other->put_oArcFileName(U16(archivePath));
    for (int i = 0; i < 5; ++i) fake.Queue("Unlha", EntryRecord{.name = "a" + std::to_string(i)});
    ASSERT_EQ(Open(LHA_), 0);
    FakeArchiver second;
    for (int i = 0; i < 2; ++i) second.Queue("Unlha", EntryRecord{.name = "b" + std::to_string(i)});
    ASSERT_EQ(Open(LHA_, other.get()), 0);
    EXPECT_EQ(control->get_oFilesCount(), 5);
    EXPECT_EQ(other->get_oFilesCount(), 2);
    EXPECT_EQ(control->get_oFilesList(0), u"b0");
    EXPECT_EQ(AutomationNumber([&] { control->get_oFilesList(2); }),
              automation::kSubscriptOutOfRange);
}

}  // namespace
}  // namespace quorvex6::testing
