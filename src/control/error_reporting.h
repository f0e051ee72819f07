// Recording of operation results and the shared steps of a trapped runtime failure.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

#include "control/state.h"

namespace quorvex6 {

// The text Errorstring shows for code.
std::u16string ResultText(int32_t code);

// Error := code; Errorstring := its text.
void SetError(ControlState& state, int32_t code);

// A runtime failure inside an operation's trapped section: a library or entry point that cannot
// be loaded, a file error. Its description is what the user sees.
class TrappedFailure : public std::runtime_error {
  public:
    explicit TrappedFailure(std::u16string description);
    const std::u16string& description() const { return description_; }

  private:
    std::u16string description_;
};

// Shows the description modally and keeps it in TrappedErrorText.
void HandleTrappedFailure(const std::u16string& description);

// Runs body; a runtime failure inside it (TrappedFailure or any standard exception) runs the
// shared steps and gives the pending result `trapped`.
template <class Body, class Result>
Result RunTrapped(Body&& body, Result trapped);

}  // namespace quorvex6

#include "control/error_reporting_inl.h"
