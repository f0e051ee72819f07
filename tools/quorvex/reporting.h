// What the user sees of an operation's outcome: the control's own messages, the library's log
// lines about entries it refused or could not handle, then, when Error is not 0,
// "quorvex: error N: Errorstring" on standard error.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "quorvex6/control.h"
#include "quorvex6/message_sink.h"

namespace quorvex::cli {

// Holds the control's modal messages while it lives, so that they can be shown without
// repeating the error line.
class MessageCapture {
  public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;
    const std::vector<std::u16string>& messages() const;

  private:
    struct Sink;
    std::shared_ptr<Sink> sink_;
};

// Prints each text as one "quorvex: ..." block on standard error.
void PrintMessages(const std::vector<std::u16string>& messages, const std::u16string& skip = {});

// Prints the captured messages, the library's lines of trouble and the recorded error; the exit
// status for it.
int FinishOperation(const quorvex6::Quorvex6& control, const MessageCapture& capture);

}  // namespace quorvex::cli
