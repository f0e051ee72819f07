#include <gtest/gtest.h>

#include <functional>

#include "control/member_table.h"
#include "control/module_state.h"
#include "quorvex6/automation_error.h"
#include "quorvex6/control.h"
#include "support/test_support.h"

namespace quorvex6 {
namespace {

using testing::RecordingSite;

bool CallsALibrary(const Member& m) {
    return m.name == u"Version" || m.name == u"VersionZipJ" || m.name == u"Running" ||
           m.name == u"RunningZipJ";
}

// Everything a host can read without calling a library, lists included.
std::vector<Variant> Snapshot(Quorvex6& c) {
    std::vector<Variant> values;
    for (const auto& m : kMembers) {
        if (m.get == nullptr || CallsALibrary(m)) continue;
        if (!m.indexed) {
            values.push_back(m.get(c, 0));
            continue;
        }
        for (const int16_t i : {0, 1, 2, 3, 32766, 32767}) {
            try {
                values.push_back(m.get(c, i));
            } catch (const AutomationError& e) {
                values.push_back(Variant(e.number()));
            }
        }
    }
    return values;
}

// Reads the notified property back at the moment of the notification.
class ValueReadingSite : public RecordingSite {
  public:
    void OnPropertyChanged(int32_t dispid) override {
        RecordingSite::OnPropertyChanged(dispid);
        const Member* member = FindMember(dispid);
        seen.push_back(control != nullptr && member != nullptr ? member->get(*control, 0)
                                                               : Variant());
    }
    Quorvex6* control = nullptr;
    std::vector<Variant> seen;
};

void FillToTheLimit(Quorvex6& c, void (Quorvex6::*add)(const std::u16string&),
                    int16_t (Quorvex6::*count)() const) {
    while ((c.*count)() < 32767) (c.*add)(u"f");
}

int32_t NumberOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const AutomationError& e) {
        return e.number();
    }
    return 0;
}

TEST(PropertySurface, NewControlValues) {
    auto c = Quorvex6::CreateNew();
    EXPECT_EQ(c->get_ArcMode(), 0);
    EXPECT_EQ(c->get_pTypeOfArc(), 2);
    EXPECT_EQ(c->get_pTypeOfCab(), 0);
    EXPECT_EQ(c->get_pTypeOfIsh(), 1);
    EXPECT_EQ(c->get_sfxType(), 2);
    EXPECT_EQ(c->get_LevelLZX(), 15);
    EXPECT_EQ(c->get_LevelQUANTUM(), 1);
    EXPECT_EQ(c->get_cabMultiVolume(), 0);
    for (int16_t sw : {c->get_swUnderFolder(), c->get_swFolderName(), c->get_swAttribute(),
                       c->get_swCheckTimeStamp(), c->get_swDiskSpace(), c->get_swDialog()}) {
        EXPECT_EQ(sw, -1);
    }
    EXPECT_EQ(c->get_swGaugeProgress(), 0);
    EXPECT_EQ(c->get_pFilesCount(), 0);
    EXPECT_EQ(c->get_eFilesCount(), 0);
    EXPECT_EQ(c->get_oFilesCount(), 0);
    EXPECT_EQ(c->get_Error(), 0);
    EXPECT_TRUE(c->get_Errorstring().empty());
    for (const auto& m : kMembers) {
        if (m.type == VarType::String && m.get != nullptr && !m.indexed) {
            EXPECT_TRUE(m.get(*c, 0).str().empty());
        }
    }
}

TEST(PropertySurface, RejectedCallsFailWithTheirNumberChangeNothingAndNotifyNothing) {
    struct Case {
        const char* what;
        std::function<void(Quorvex6&)> call;
        int32_t number;
        std::function<void(Quorvex6&)> prepare = [](Quorvex6&) {};
    };
    const Case cases[] = {
        {"LevelLZX 14", [](Quorvex6& c) { c.put_LevelLZX(14); }, 380},
        {"LevelLZX 22", [](Quorvex6& c) { c.put_LevelLZX(22); }, 380},
        {"LevelQUANTUM 0", [](Quorvex6& c) { c.put_LevelQUANTUM(0); }, 380},
        {"LevelQUANTUM 8", [](Quorvex6& c) { c.put_LevelQUANTUM(8); }, 380},
        {"cabMultiVolume -1", [](Quorvex6& c) { c.put_cabMultiVolume(-1); }, 380},
        {"eFilesCount", [](Quorvex6& c) { c.put_eFilesCount(3); }, 383},
        {"pFilesCount", [](Quorvex6& c) { c.put_pFilesCount(3); }, 383},
        {"Errorstring", [](Quorvex6& c) { c.put_Errorstring(u"x"); }, 383},
        {"oFilesList(0)", [](Quorvex6& c) { c.put_ListingProperty(0, u"x"); }, 383},
        {"pFilesList(2) of 2", [](Quorvex6& c) { c.put_pFilesList(2, u"x"); }, 9},
        {"pFilesList(-1)", [](Quorvex6& c) { c.put_pFilesList(-1, u"x"); }, 9},
        {"eFilesList(0) unallocated", [](Quorvex6& c) { (void)c.get_eFilesList(0); }, 9},
        {"oAttr(0) before any listing", [](Quorvex6& c) { (void)c.get_oAttr(0); }, 9},
        {"eFilesList(0) put unallocated", [](Quorvex6& c) { c.put_eFilesList(0, u"x"); }, 9},
        {"eFilesList(1) put of 1", [](Quorvex6& c) { c.put_eFilesList(1, u"x"); }, 9,
         [](Quorvex6& c) { c.eAddFile(u"e"); }},
        {"32768th pAddFile", [](Quorvex6& c) { c.pAddFile(u"x"); }, 6,
         [](Quorvex6& c) { FillToTheLimit(c, &Quorvex6::pAddFile, &Quorvex6::get_pFilesCount); }},
        {"32768th eAddFile", [](Quorvex6& c) { c.eAddFile(u"x"); }, 6,
         [](Quorvex6& c) { FillToTheLimit(c, &Quorvex6::eAddFile, &Quorvex6::get_eFilesCount); }},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        Module().ListingArrays.reset();
        RecordingSite site;
        auto c = Quorvex6::CreateNew(&site);
        c->pAddFile(u"a");
        c->pAddFile(u"b");
        test.prepare(*c);
        const int16_t eCount = c->get_eFilesCount();
        const auto before = Snapshot(*c);
        EXPECT_EQ(NumberOf([&] { test.call(*c); }), test.number);
        EXPECT_EQ(c->get_eFilesCount(), eCount);
        EXPECT_EQ(Snapshot(*c), before);
        EXPECT_TRUE(site.notified.empty());
    }
}

TEST(PropertySurface, AcceptedBoundsAreStoredAndNotified) {
    RecordingSite site;
    auto c = Quorvex6::CreateNew(&site);
    c->put_LevelLZX(21);
    c->put_LevelLZX(15);
    c->put_LevelQUANTUM(7);
    c->put_cabMultiVolume(0);
    EXPECT_EQ(c->get_LevelLZX(), 15);
    EXPECT_EQ(c->get_LevelQUANTUM(), 7);
    EXPECT_EQ(site.notified,
              (std::vector<int32_t>{0x68030006, 0x68030006, 0x68030005, 0x68030007}));
}

TEST(PropertySurface, EverySetterNotifiesItsOwnIdAfterStoring) {
    for (const auto& m : kMembers) {
        if (m.put == nullptr) continue;
        SCOPED_TRACE(testing::U8(std::u16string(m.name)));
        ValueReadingSite site;
        auto c = Quorvex6::CreateNew(&site);
        site.control = c.get();
        c->pAddFile(u"x");
        c->eAddFile(u"y");
        // Each differs from what the property holds before, so that reading it back at the
        // notification tells the stored value from the earlier one.
        const Variant value = m.type == VarType::String   ? Variant(u"v")
                              : m.type == VarType::Bool   ? Variant(Boolean::Stored(5))
                              : m.name == u"LevelLZX"     ? Variant(int16_t{16})
                              : m.name == u"LevelQUANTUM" ? Variant(int16_t{2})
                              : m.type == VarType::I2     ? Variant(int16_t{3})
                                                          : Variant(int32_t{3});
        try {
            m.put(*c, 0, value);
        } catch (const AutomationError&) {
            EXPECT_TRUE(site.notified.empty());
            continue;
        }
        ASSERT_EQ(site.notified.size(), 1u);
        EXPECT_EQ(site.notified[0], m.dispid);
        EXPECT_EQ(site.seen[0], value);
        EXPECT_EQ(m.get(*c, 0), value);
    }
}

TEST(PropertySurface, FileLists) {
    auto c = Quorvex6::CreateNew();
    EXPECT_EQ(NumberOf([&] { (void)c->get_pFilesList(0); }), 9);
    c->pFilesClear();
    EXPECT_EQ(c->get_pFilesCount(), 0);
    EXPECT_TRUE(c->get_pFilesList(0).empty());
    EXPECT_EQ(NumberOf([&] { (void)c->get_pFilesList(1); }), 9);

    c->pAddFile(u"  a b  ");
    c->pAddFile(u"   ");
    c->pAddFile(u"\tc\t");
    EXPECT_EQ(c->get_pFilesCount(), 2);
    EXPECT_TRUE(c->get_pFilesList(0) == u"a b");
    EXPECT_TRUE(c->get_pFilesList(1) == u"\tc\t");
    c->put_pFilesList(1, u"");
    EXPECT_TRUE(c->get_pFilesList(1).empty());

    c->eAddFile(u"  ");
    EXPECT_EQ(c->get_eFilesCount(), 1);
    EXPECT_TRUE(c->get_eFilesList(0) == u"  ");
    c->eFilesClear();
    EXPECT_EQ(c->get_eFilesCount(), 0);
    EXPECT_TRUE(c->get_eFilesList(0).empty());
}

TEST(PropertySurface, ListsHoldAtMost32767Entries) {
    auto c = Quorvex6::CreateNew();
    for (int i = 0; i < 32767; ++i) {
        c->pAddFile(u"f");
        c->eAddFile(u"");
    }
    EXPECT_EQ(c->get_pFilesCount(), 32767);
    EXPECT_EQ(NumberOf([&] { c->pAddFile(u"g"); }), 6);
    EXPECT_EQ(NumberOf([&] { c->eAddFile(u"g"); }), 6);
    EXPECT_EQ(c->get_pFilesCount(), 32767);
    EXPECT_TRUE(c->get_pFilesList(32766) == u"f");
}

TEST(PropertySurface, SwCommandTrimsOrdinarySpacesOnly) {
    auto c = Quorvex6::CreateNew();
    c->put_swCommand(u"  -o  ");
    EXPECT_TRUE(c->get_swCommand() == u"-o");
    c->put_swCommand(u"\t-o\n ");
    EXPECT_TRUE(c->get_swCommand() == u"\t-o\n");
    c->put_swCommand(u"   ");
    EXPECT_TRUE(c->get_swCommand().empty());
}

TEST(PropertySurface, TwoInstancesShareKindWindowAndListing) {
    auto a = Quorvex6::CreateNew();
    auto b = Quorvex6::CreateNew();
    a->put_hwnd(1234);
    EXPECT_EQ(b->get_hwnd(), 1234);
    a->put_ArcMode(5);
    EXPECT_EQ(Module().CurrentArcMode, 5);
    EXPECT_EQ(b->get_ArcMode(), 0);
    Module().ListingArrays = std::vector<ListingEntry>{ListingEntry{u"one.txt"}};
    EXPECT_TRUE(b->get_oFilesList(0) == u"one.txt");
    EXPECT_EQ(b->get_oFilesCount(), 0);

    auto placed = Quorvex6::CreateNew();
    EXPECT_EQ(a->get_hwnd(), 0);
    EXPECT_EQ(Module().CurrentArcMode, 0);
    EXPECT_EQ(a->get_ArcMode(), 5);
}

TEST(PropertySurface, BeforeInitialisationEverythingIsZero) {
    Quorvex6 c;
    EXPECT_EQ(c.get_LevelLZX(), 0);
    EXPECT_EQ(c.get_swDialog(), 0);
    EXPECT_EQ(c.get_pTypeOfArc(), 0);
    EXPECT_EQ(NumberOf([&] { (void)c.get_pFilesList(0); }), 9);
}

}  // namespace
}  // namespace quorvex6
