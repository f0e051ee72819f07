#include "reporting.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string_view>

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

// The library's log has a line for every entry it handled; those about an entry it refused or
// could not handle, and a failed command's cause, are what tells the user what went wrong.
bool TellsOfTrouble(std::string_view line) {
    static constexpr std::string_view kDone[] = {"extracted ", "added ", "packed ", "deleted "};
    if (line.empty() || line.ends_with(": not newer")) return false;
    return std::none_of(std::begin(kDone), std::end(kDone),
                        [&](std::string_view done) { return line.starts_with(done); });
}

void PrintLibraryTrouble(const std::u16string& output) {
    const std::string text = Lines(output);
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line(text.data() + start, end - start);
        if (TellsOfTrouble(line)) std::fprintf(stderr, "quorvex: %s\n", TerminalText(line).c_str());
        start = end + 1;
    }
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
    PrintLibraryTrouble(control.LibraryOutput());
    if (error == 0) return kExitSuccess;
    std::fprintf(stderr, "quorvex: error %d: %s\n", static_cast<int>(error), Lines(text).c_str());
    return kExitFailure;
}

}  // namespace quorvex::cli
