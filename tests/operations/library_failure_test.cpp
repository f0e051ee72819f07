// Run with only a partial unlha32 on the search path and no other library.
#include "operations/operation_fixture.h"

namespace quorvex6::testing {
namespace {

class LibraryFailure : public OperationTest {
  protected:
    LibraryFailure() {
        work_.Write("src/a.txt", "a");
        work_.Write("arc/a.arc", "archive");
        state().pBaseFolder = U("src");
        state().pArcFileName = U("a.arc");
        state().eArcFileName = U("arc/a.arc");
        state().eFolder = U("src");
        state().sfxArcFileName = U("arc/a.arc");
        control_->pAddFile(u"a.txt");
        control_->eAddFile(u"a.txt");
    }
    void ExpectMessage(int32_t code, const std::string& naming) {
        EXPECT_EQ(control_->get_Error(), code);
        ASSERT_EQ(messages_.messages().size(), 1u);
        const std::string shown = U8(messages_.messages()[0]);
        EXPECT_NE(shown.find(naming), std::string::npos) << shown;
        if (code == 37120) {
            EXPECT_EQ(control_->get_Errorstring(), messages_.messages()[0]);
        }
    }
};

TEST_F(LibraryFailure, PackRecordsTheTrappedFailure) {
    control_->put_ArcMode(LHA_);
    control_->Pack();
    ExpectMessage(37120, "no entry point Unlha");
}

TEST_F(LibraryFailure, PackWithAMissingLibrary) {
    control_->put_ArcMode(ZIP_);
    control_->Pack();
    ExpectMessage(37120, "libzip32j.so");
}

TEST_F(LibraryFailure, ExtractRecordsTheTrappedFailure) {
    control_->put_ArcMode(LHA_);
    control_->Extract();
    ExpectMessage(37120, "no entry point Unlha");
}

TEST_F(LibraryFailure, AMissingLibraryFailsTheArchiveCheckOfExtract) {
    control_->put_ArcMode(CAB_);
    control_->Extract();
    ExpectMessage(32781, "libcab32.so");
    EXPECT_EQ(U8(control_->get_Errorstring()), "ファイルを開けませんでした。");
}

TEST_F(LibraryFailure, AMissingLibraryFailsTheArchiveCheckOfSfx) {
    control_->put_ArcMode(CAB_);
    control_->SFX();
    ExpectMessage(32781, "libcab32.so");
    EXPECT_EQ(U8(control_->get_Errorstring()), "ファイルを開けませんでした。");
}

TEST_F(LibraryFailure, SfxRecordsTheTrappedFailure) {
    control_->put_ArcMode(LHA_);
    control_->SFX();
    ExpectMessage(37120, "no entry point Unlha");
}

}  // namespace
}  // namespace quorvex6::testing
