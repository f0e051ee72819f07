// A library that lacks one entry point, alone on the search path.
#include <gtest/gtest.h>

#include "archivers/bindings.h"
#include "control/error_reporting.h"
#include "platform/codepage.h"

namespace quorvex6 {
namespace {

using archivers::Bind;
using archivers::Library;
using archivers::Shape;

TEST(MissingEntryPoint, FailsOnlyItsLookUpWhileAnArchiveHandleStaysOpen) {
    const auto open = Bind<Shape::Open>(Library::unlha32, "UnlhaOpenArchive");
    const QvArchive handle = open(0, "a.lzh", 0);
    ASSERT_NE(handle, 0u);
    QvEntryInfo info{};
    ASSERT_EQ(Bind<Shape::FindFirst>(Library::unlha32, "UnlhaFindFirst")(handle, "*.*", &info), 0);

    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            Bind<Shape::FindNext>(Library::unlha32, "UnlhaFindNext");
            ADD_FAILURE() << "bound UnlhaFindNext";
        } catch (const TrappedFailure& failure) {
            EXPECT_NE(platform::ToSystem(failure.description()).find("UnlhaFindNext"),
                      std::string::npos);
        }
    }

    // The same library instance answers: it still knows the handle it gave out.
    EXPECT_EQ(Bind<Shape::Open>(Library::unlha32, "UnlhaOpenArchive"), open);
    EXPECT_EQ(Bind<Shape::Close>(Library::unlha32, "UnlhaCloseArchive")(handle), 0);
}

}  // namespace
}  // namespace quorvex6
