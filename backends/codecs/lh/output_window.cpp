#include "codecs/lh/output_window.h"

#include <algorithm>

namespace quorvex6::backend::codecs::lh {

namespace {
constexpr std::size_t kChunk = 256 * 1024;
// Room past the slide point for the longest copy plus the 8-byte overshoot of copy().
constexpr std::size_t kSlack = 512;
}  // namespace

OutputWindow::OutputWindow(Sink& out, std::size_t history, std::uint64_t total)
    : out_(out),
      history_(history),
      // A small member gets a buffer of its own size: filling 256 KiB for each of thousands
      // of small files would cost more than decoding them.
      buf_(history + static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, total)) + kSlack,
           ' '),
      pos_(history),
      flushed_(history),
      limit_(buf_.size() - kSlack),
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

}  // namespace quorvex6::backend::codecs::lh
