// A control on a fresh module state, the recording fake libraries and an archive file that
// exists, for driving OpenFile end to end.
#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>
#include <string>

#include "control/module_state.h"
#include "fakes/fake_archiver.h"
#include "quorvex6/control.h"
#include "support/test_support.h"

namespace quorvex6::testing {

class ListingFixture : public ::testing::Test {
  protected:
    ListingFixture() {
        // The C locale's separators, whatever the caller's environment says.
        setenv("LC_ALL", "C", 1);
        Module() = ModuleState{};
        control = Quorvex6::CreateNew();
        archivePath = dir.Write("archive.arc", "bytes").string();
        control->put_oArcFileName(U16(archivePath));
    }

    // Lists the archive as kind and returns Error.
    int32_t Open(int32_t kind, Quorvex6* on = nullptr) {
        Quorvex6& target = on != nullptr ? *on : *control;
        target.put_ArcMode(kind);
        target.OpenFile();
        return target.get_Error();
    }

    size_t TableSize() const {
        const auto& table = Module().ListingArrays;
        return table ? table->size() : 0;
    }

    FakeArchiver fake;
    TempDir dir;
    CapturedMessages messages;
    std::unique_ptr<Quorvex6> control;
    std::string archivePath;
};

// The ten columns of one row, in the order of ListingEntry.
inline std::vector<std::u16string> Row(const Quorvex6& c, int16_t i) {
    return {c.get_oFilesList(i), c.get_oPath(i), c.get_oOrgSize(i), c.get_oPackedSize(i),
            c.get_oRatio(i),     c.get_oDate(i), c.get_oTime(i),    c.get_oAttr(i),
            c.get_oType(i),      c.get_oCRC(i)};
}

inline std::vector<std::string> EntriesCalled(const FakeArchiver& fake) {
    std::vector<std::string> entries;
    for (const auto& call : fake.Calls()) entries.push_back(call.entry);
    return entries;
}

}  // namespace quorvex6::testing
