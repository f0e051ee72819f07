// Where the control's modal message boxes go. The default writes the text to standard error;
// a host sets its own for the calling thread (the control's module state is per thread).
#pragma once
#include <memory>
#include <string>

#include "quorvex6/export.h"

namespace quorvex6 {

class QUORVEX6_API MessageSink {
  public:
    virtual ~MessageSink() = default;
    // Shows text modally with an OK button; returns when the user has closed it.
    virtual void ShowModal(const std::u16string& text) = 0;
};

// Replaces the sink of the calling thread; nullptr restores the default.
QUORVEX6_API void SetMessageSink(std::shared_ptr<MessageSink> sink);

}  // namespace quorvex6
