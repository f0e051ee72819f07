#include "codecs/ish/text_out.h"

#include <cstring>

#include "codecs/ish/first_line.h"

namespace quorvex6::backend::codecs::ish {

namespace {

constexpr std::size_t kChunk = 256 << 10;

}  // namespace

TextOut::TextOut(Sink& out, std::uint64_t limit, const FileInfo& info)
    : out_(out), limit_(limit), info_(info), lines_(AnnouncedLines(info)), buffer_(kChunk) {}

std::uint8_t* TextOut::line_room(std::size_t n) {
    if (used_ + n + 1 > buffer_.size()) buffer_.resize(used_ + n + 1);
    room_ = n;
    return buffer_.data() + used_;
}

bool TextOut::end_line() {
    used_ += room_;
    buffer_[used_++] = '\n';
    ++physical_;
    last_was_title_ = false;
    if ((physical_ + 1) % kTitleInterval == 0) title();
    return used_ < kChunk || flush();
}

bool TextOut::line(const std::string& s) {
    std::memcpy(line_room(s.size()), s.data(), s.size());
    return end_line();
}

bool TextOut::finish() {
    if (!last_was_title_) title();
    return flush();
}

void TextOut::title() {
    std::string t = TitleLine(info_, ++physical_, lines_);
    if (used_ + t.size() + 1 > buffer_.size()) buffer_.resize(used_ + t.size() + 1);
    std::memcpy(buffer_.data() + used_, t.data(), t.size());
    used_ += t.size();
    buffer_[used_++] = '\n';
    last_was_title_ = true;
}

bool TextOut::flush() {
    written_ += used_;
    if (written_ > limit_) {
        status_ = Status::kExpanded;
        return false;
    }
    if (used_ > 0 && !out_.write(buffer_.data(), used_)) {
        status_ = Status::kWriteFailed;
        return false;
    }
    used_ = 0;
    return true;
}

}  // namespace quorvex6::backend::codecs::ish
