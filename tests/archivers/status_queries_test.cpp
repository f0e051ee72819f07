#include <gtest/gtest.h>

#include "control/module_state.h"
#include "fakes/fake_archiver.h"
#include "quorvex6/control.h"
#include "quorvex6/enums.h"
#include "support/test_support.h"

namespace quorvex6 {
namespace {

using testing::FakeArchiver;

struct KindEntries {
    int32_t kind;
    std::string version, running;
};
const KindEntries kKinds[] = {
    {LHA_, "UnlhaGetVersion", "UnlhaGetRunning"}, {ZIP_, "UnZipGetVersion", "UnZipGetRunning"},
    {CAB_, "CabGetVersion", "CabGetRunning"},     {ARJ_, "UnarjGetVersion", "UnarjGetRunning"},
    {ISH_, "IshGetVersion", "IshGetRunning"},     {TAR_, "TarGetVersion", "TarGetRunning"},
    {RAR_, "UnrarGetVersion", "UnrarGetRunning"},
};

class StatusQueries : public ::testing::Test {
  protected:
    StatusQueries() { Module() = ModuleState{}; }
    std::unique_ptr<Quorvex6> control = Quorvex6::CreateNew();
};

TEST_F(StatusQueries, VersionAsksTheCurrentKindsLibraryAndWidensWithTheSign) {
    for (const auto& k : kKinds) {
        SCOPED_TRACE(k.version);
        FakeArchiver fake;
        control->put_ArcMode(k.kind);
        // 16-bit answers: 0xFFFE reads as -2. ish32 answers in 32 bits, passed on as given.
        fake.Return(k.version, k.kind == ISH_ ? 0x12345 : 0xFFFE);
        EXPECT_EQ(control->get_Version(), k.kind == ISH_ ? 0x12345 : -2);
        fake.Return(k.version, 0x7FFF);
        EXPECT_EQ(control->get_Version(), 0x7FFF);
        const auto calls = fake.Calls();
        ASSERT_EQ(calls.size(), 2u);
        EXPECT_EQ(calls[0].entry, k.version);
    }
}

TEST_F(StatusQueries, RunningIsTrueForAnyNonzeroAnswer) {
    for (const auto& k : kKinds) {
        SCOPED_TRACE(k.running);
        FakeArchiver fake;
        control->put_ArcMode(k.kind);
        EXPECT_EQ(control->get_Running(), 0);
        for (const int32_t busy : {1, 7, -1, 0x10000}) {
            fake.Return(k.running, busy);
            EXPECT_EQ(control->get_Running(), -1) << busy;
        }
        EXPECT_EQ(fake.Calls(k.running).size(), 5u);
    }
}

TEST_F(StatusQueries, ZipPackingLibraryIsAskedWhateverTheKind) {
    FakeArchiver fake;
    control->put_ArcMode(ZIP_);
    fake.Return("UnZipGetVersion", 600);
    fake.Return("ZipGetVersion", 0x8000);
    fake.Return("ZipGetRunning", 3);
    EXPECT_EQ(control->get_Version(), 600);
    EXPECT_EQ(control->get_VersionZipJ(), -32768);
    EXPECT_EQ(control->get_RunningZipJ(), -1);
    control->put_ArcMode(99);
    EXPECT_EQ(control->get_VersionZipJ(), -32768);
    fake.Return("ZipGetRunning", 0);
    EXPECT_EQ(control->get_RunningZipJ(), 0);
}

TEST_F(StatusQueries, KindsOutsideTheTableAnswerWithoutACall) {
    FakeArchiver fake;
    for (const int32_t kind : {-1, 7, 1000}) {
        control->put_ArcMode(kind);
        EXPECT_EQ(control->get_Version(), 0);
        EXPECT_EQ(control->get_Running(), 0);
    }
    EXPECT_TRUE(fake.Calls().empty());
}

TEST_F(StatusQueries, ReachableThroughDispatchAsIntegerAndBoolean) {
    FakeArchiver fake;
    control->put_ArcMode(CAB_);
    fake.Return("CabGetVersion", 98);
    fake.Return("CabGetRunning", 2);
    EXPECT_EQ(control->Invoke(u"Version", InvokeKind::Get, {}), Variant(int32_t{98}));
    EXPECT_EQ(control->Invoke(u"Running", InvokeKind::Get, {}), Variant(Boolean{true}));
    EXPECT_EQ(control->Invoke(u"RunningZipJ", InvokeKind::Get, {}), Variant(Boolean{false}));
}

}  // namespace
}  // namespace quorvex6
