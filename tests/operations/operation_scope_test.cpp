#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "control/state.h"
#include "operations/operation_scope.h"
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
        scope.AdoptWorkFile(U16(workFile_.string()));
        fs::remove(dir_.path() / "caller");  // the directory to go back to went away
        scope.Finish(state, 0);
    }
    EXPECT_EQ(state.Error, 37120);
    ASSERT_EQ(messages_.messages().size(), 1u);
    EXPECT_EQ(state.Errorstring, messages_.messages()[0]);
    EXPECT_NE(U8(state.Errorstring).find("caller"), std::string::npos) << U8(state.Errorstring);
    EXPECT_FALSE(fs::exists(workFile_));
    EXPECT_EQ(fs::current_path(), dir_.path() / "inside");
}

}  // namespace
}  // namespace quorvex6::testing
