#include "operations/operation_scope.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "control/state.h"
#include "support/test_support.h"

namespace quorvex6::testing {
namespace {

namespace fs = std::filesystem;
using operations::OperationScope;

class Scope : public ::testing::Test {
  protected:
    Scope() : before_(fs::current_path()) {
        fs::current_path(dir_.Folder("caller"));
        workFile_ = dir_.Write("~TR1.TMP");
    }
    ~Scope() override { fs::current_path(before_); }
    fs::path before_;
    TempDir dir_;
    fs::path workFile_;
    CapturedMessages messages_;
};

TEST_F(Scope, AnUntrappedFailureStillRestoresAndDeletes) {
    try {
        OperationScope scope;
        scope.EnterFolder(U16(dir_.Folder("inside").string()));
        scope.AdoptWorkFile(U16(workFile_.string()));
        throw std::runtime_error("on its way to the host");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(fs::current_path(), dir_.path() / "caller");
    EXPECT_FALSE(fs::exists(workFile_));
    EXPECT_TRUE(messages_.messages().empty());
}

TEST_F(Scope, AFailureInsideTheCleanUpIsOneTrappedFailure) {
    ControlState state;
    {
        OperationScope scope;
        scope.EnterFolder(U16(dir_.Folder("inside").string()));
        scope.AdoptWorkFile(u"/proc/version");  // a file that not even root may delete
        scope.Finish(state, 0);
    }
    EXPECT_EQ(state.Error, 37120);
    ASSERT_EQ(messages_.messages().size(), 1u);
    EXPECT_EQ(state.Errorstring, messages_.messages()[0]);
    EXPECT_NE(U8(state.Errorstring).find("/proc/version"), std::string::npos)
        << U8(state.Errorstring);
    // The directory is still put back after the failed step.
    EXPECT_EQ(fs::current_path(), dir_.path() / "caller");
}

TEST_F(Scope, TheCallersDirectoryComesBackWhateverItsName) {
    struct Case {
        const char* what;
        std::string start;
        std::string renamedTo;
    };
    for (const Case& c : std::vector<Case>{
             {"a name that is not UTF-8", "caf\xE9", ""},
             {"a folder renamed while the operation ran", "before", "after"},
         }) {
        SCOPED_TRACE(c.what);
        const fs::path start = dir_.path() / c.start;
        fs::create_directory(start);
        fs::current_path(start);
        ControlState state;
        {
            OperationScope scope;
            scope.EnterFolder(U16(dir_.Folder("inside").string()));
            if (!c.renamedTo.empty()) fs::rename(start, dir_.path() / c.renamedTo);
            scope.Finish(state, 0);
        }
        EXPECT_EQ(state.Error, 0) << U8(state.Errorstring);
        EXPECT_EQ(fs::current_path(), c.renamedTo.empty() ? start : dir_.path() / c.renamedTo);
    }
}

}  // namespace
}  // namespace quorvex6::testing
