// What every operation owes on each way out: its work file deleted and the directory it was
// called in made current again.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "control/state.h"
#include "platform/filesystem.h"

namespace quorvex6::operations {

class OperationScope {
  public:
    // Remembers the current directory; throws when it cannot be read.
    OperationScope();
    // A way out that skipped Finish (an untrapped failure on its way to the host): clean up as
    // far as possible, silently, and let the failure go on.
    ~OperationScope();
    OperationScope(const OperationScope&) = delete;
    OperationScope& operator=(const OperationScope&) = delete;

    // Makes folder current for the rest of the operation; throws when it cannot. The empty name
    // is the folder already current.
    void EnterFolder(std::u16string_view folder);
    // The list file from now on belongs to the scope.
    void AdoptWorkFile(std::u16string name);

    // The clean-up step, then SetError. It runs once: a failure inside it is one trapped
    // failure and the code becomes 37120; it is never started again.
    void Finish(ControlState& state, int32_t code);

  private:
    void CleanUp();

    platform::SavedDirectory saved_;
    std::u16string workFile_;
    bool entered_ = false;
    bool finished_ = false;
};

}  // namespace quorvex6::operations
