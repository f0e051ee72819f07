#include "platform/message_box.h"

#include <windows.h>

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
    MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(text.c_str()), nullptr, MB_OK);
}

}  // namespace platform
}  // namespace quorvex6
