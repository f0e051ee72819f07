#include "operations/operation_scope.h"

#include <optional>
#include <stdexcept>

#include "compose/path_helpers.h"
#include "control/error_reporting.h"
#include "platform/codepage.h"
#include "platform/filesystem.h"
#include "quorvex6/result_codes.h"

namespace quorvex6::operations {

OperationScope::OperationScope() = default;

OperationScope::~OperationScope() {
    if (finished_) return;
    if (!workFile_.empty()) platform::RemoveFile(workFile_);
    if (entered_) {
        try {
            saved_.Restore();
        } catch (const std::exception&) {
            // The failure already leaving the operation is the one the host should see.
        }
    }
}

void OperationScope::EnterFolder(std::u16string_view folder) {
    if (folder.empty()) return;
    entered_ = true;
    platform::ChangeDirectory(folder);
}

void OperationScope::AdoptWorkFile(std::u16string name) { workFile_ = std::move(name); }

void OperationScope::CleanUp() {
    // Both steps are tried even when the first fails; the first failure is reported.
    std::optional<std::string> failure;
    if (!workFile_.empty() && FileExists(workFile_) && !platform::RemoveFile(workFile_)) {
        failure = "cannot delete the work file " + platform::ToSystem(workFile_);
    }
    workFile_.clear();
    if (entered_) {
        entered_ = false;
        try {
            saved_.Restore();
        } catch (const std::exception& error) {
            if (!failure) failure = error.what();
        }
    }
    if (failure) throw std::runtime_error(*failure);
}

void OperationScope::Finish(ControlState& state, int32_t code) {
    finished_ = true;
    const int32_t recorded = RunTrapped(
        [&] {
            CleanUp();
            return code;
        },
        result::kTrapped);
    SetError(state, recorded);
}

}  // namespace quorvex6::operations
