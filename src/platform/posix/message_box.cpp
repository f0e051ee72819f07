#include "platform/message_box.h"

#include <cstdio>

#include "platform/codepage.h"
#include "quorvex6/message_sink.h"

namespace quorvex6 {
namespace {

std::shared_ptr<MessageSink>& ThreadSink() {
    thread_local std::shared_ptr<MessageSink> sink;
    return sink;
}

}  // namespace

void SetMessageSink(std::shared_ptr<MessageSink> sink) { ThreadSink() = std::move(sink); }

namespace platform {

void ShowModalMessage(const std::u16string& text) {
    if (const auto& sink = ThreadSink()) {
        sink->ShowModal(text);
        return;
    }
    const std::string bytes = ToSystem(text);
    std::fprintf(stderr, "%s\n", bytes.c_str());
    std::fflush(stderr);
}

}  // namespace platform
}  // namespace quorvex6
