#include "codecs/lh/output_window.h"

namespace quorvex6::codecs::lh {

namespace {
constexpr std::size_t kChunk = 256 * 1024;
// Room past the slide point for the longest copy plus the 8-byte overshoot of copy().
constexpr std::size_t kSlack = 512;
}  // namespace

OutputWindow::OutputWindow(Sink& out, std::size_t history, std::uint64_t total)
    : out_(out),
      history_(history),
      buf_(history + kChunk + kSlack, ' '),
      pos_(history),
      flushed_(history),
      limit_(history + kChunk),
      remaining_(total) {}

void OutputWindow::slide() {
    if (!failed_ && !out_.write(buf_.data() + flushed_, pos_ - flushed_)) failed_ = true;
    std::memmove(buf_.data(), buf_.data() + pos_ - history_, history_);
    pos_ = history_;
    flushed_ = history_;
}

bool OutputWindow::finish() {
    if (pos_ > flushed_ && !failed_ && !out_.write(buf_.data() + flushed_, pos_ - flushed_)) {
        failed_ = true;
    }
    flushed_ = pos_;
    return !failed_;
}

}  // namespace quorvex6::codecs::lh
