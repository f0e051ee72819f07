// A control, the recording fake libraries, a work folder and a temp folder of its own; after
// each test the process's directory must be the one the test started in and no work file left.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "control/state.h"
#include "fakes/fake_archiver.h"
#include "quorvex6/control.h"
#include "quorvex6/enums.h"
#include "support/test_support.h"

namespace quorvex6::testing {

class OperationTest : public ::testing::Test {
  protected:
    OperationTest() : scopedTemp_(temp_.path()) {
        caller_ = work_.Folder("caller");
        std::filesystem::current_path(caller_);
        control_ = Quorvex6::CreateNew();
        control_->put_hwnd(4242);
    }
    void TearDown() override {
        EXPECT_EQ(std::filesystem::current_path(), caller_);
        EXPECT_EQ(WorkFilesLeft(), std::vector<std::string>{});
    }
    ~OperationTest() override { std::filesystem::current_path(work_.path().parent_path()); }

    // Every Boolean switch off (the compression choices keep their defaults).
    void SwitchesOff() {
        ControlState& s = state();
        s.swUnderFolder = s.swFolderName = s.swAttribute = s.swCheckTimeStamp = s.swDiskSpace =
            s.swDialog = s.swGaugeProgress = kFalse;
    }

    ControlState& state() { return control_->state(); }
    std::string At(const std::string& relative) const { return (work_.path() / relative).string(); }
    std::u16string U(const std::string& relative) const { return U16(At(relative)); }

    std::vector<std::string> WorkFilesLeft() const {
        std::vector<std::string> left;
        for (const auto& entry : std::filesystem::directory_iterator(temp_.path())) {
            left.push_back(entry.path().filename().string());
        }
        return left;
    }

    // The one command call of the operation, checked for the window and buffer every call gets.
    FakeCall OnlyCommand(const std::string& entry, uint32_t size = 20800) const {
        std::vector<FakeCall> commands;
        for (auto& call : fake_.Calls()) {
            if (call.entry.find("CheckArchive") == std::string::npos) commands.push_back(call);
        }
        EXPECT_EQ(commands.size(), 1u);
        if (commands.empty()) return {};
        EXPECT_EQ(commands[0].entry, entry);
        EXPECT_EQ(commands[0].hwnd, 4242u);
        EXPECT_EQ(commands[0].size, size);
        return commands[0];
    }

    void ExpectResult(int32_t code, const std::u16string& text) {
        EXPECT_EQ(control_->get_Error(), code);
        EXPECT_EQ(U8(control_->get_Errorstring()), U8(text));
    }

    FakeArchiver fake_;
    TempDir work_;
    TempDir temp_;
    ScopedTempFolder scopedTemp_;
    CapturedMessages messages_;
    std::filesystem::path caller_;
    std::unique_ptr<Quorvex6> control_;
};

}  // namespace quorvex6::testing
