#include "reporting.h"

#include <algorithm>
#include <cstdio>

#include "quorvex6/result_codes.h"
#include "text.h"
#include "usage_error.h"

namespace quorvex::cli {

struct MessageCapture::Sink : quorvex6::MessageSink {
    void ShowModal(const std::u16string& text) override { messages.push_back(text); }
    std::vector<std::u16string> messages;
};

MessageCapture::MessageCapture() : sink_(std::make_shared<Sink>()) {
    quorvex6::SetMessageSink(sink_);
}
MessageCapture::~MessageCapture() { quorvex6::SetMessageSink(nullptr); }
const std::vector<std::u16string>& MessageCapture::messages() const { return sink_->messages; }

namespace {

// The control writes message boxes with CR LF line ends.
std::string Lines(const std::u16string& text) {
    std::string out;
    for (char c : ToUtf8(text)) {
        if (c != '\r') out.push_back(c);
    }
    return out;
}

}  // namespace

void PrintMessages(const std::vector<std::u16string>& messages, const std::u16string& skip) {
    std::vector<std::u16string> shown;
    for (const std::u16string& text : messages) {
        // Two queries of one missing library give the same message twice.
        if ((!skip.empty() && text == skip) ||
            std::find(shown.begin(), shown.end(), text) != shown.end())
            continue;
        shown.push_back(text);
        std::fprintf(stderr, "quorvex: %s\n", Lines(text).c_str());
    }
}

int FinishOperation(const quorvex6::Quorvex6& control, const MessageCapture& capture) {
    const int32_t error = control.get_Error();
    const std::u16string text = control.get_Errorstring();
    // A trapped failure's message is the error text itself; showing it twice tells nothing.
    PrintMessages(capture.messages(),
                  error == quorvex6::result::kTrapped ? text : std::u16string());
    if (error == 0) return kExitSuccess;
    std::fprintf(stderr, "quorvex: error %d: %s\n", static_cast<int>(error), Lines(text).c_str());
    return kExitFailure;
}

}  // namespace quorvex::cli
