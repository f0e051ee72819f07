#pragma once
#include <string>

namespace quorvex6::platform {

// The modal message box (OK button, no icon, the default caption), through the thread's sink.
void ShowModalMessage(const std::u16string& text);

}  // namespace quorvex6::platform
