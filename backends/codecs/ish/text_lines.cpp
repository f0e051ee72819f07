#include "codecs/ish/text_lines.h"

#include <algorithm>
#include <cstring>

namespace quorvex6::backend::codecs::ish {

namespace {

constexpr std::size_t kChunk = 256 << 10;

bool IsControl(std::uint8_t c) { return c < 0x20 || c == 0x7F; }

std::span<const std::uint8_t> Trimmed(const std::uint8_t* p, std::size_t n) {
    while (n > 0 && p[n - 1] == ' ') --n;
    return {p, n};
}

}  // namespace

TextLines::TextLines(Source& in) : in_(in), buffer_(kChunk) { line_.reserve(kMaxLine); }

bool TextLines::refill() {
    if (at_end_) return false;
    std::ptrdiff_t got = in_.read(buffer_.data(), buffer_.size());
    if (got <= 0) {
        at_end_ = true;
        if (got < 0) status_ = Status::kReadFailed;
        return false;
    }
    pos_ = 0;
    end_ = static_cast<std::size_t>(got);
    return true;
}

void TextLines::append(const std::uint8_t* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        if (IsControl(p[i])) continue;
        if (line_.size() == kMaxLine) {
            overlong_ = true;
            return;
        }
        line_.push_back(p[i]);
    }
}

std::optional<std::span<const std::uint8_t>> TextLines::next() {
    line_.clear();
    overlong_ = false;
    bool started = false;
    for (;;) {
        if (pos_ == end_ && !refill()) {
            if (!started || status_ != Status::kOk) return std::nullopt;
            if (overlong_) return std::nullopt;
            return Trimmed(line_.data(), line_.size());
        }
        const std::uint8_t* start = buffer_.data() + pos_;
        std::size_t avail = end_ - pos_;
        const auto* nl = static_cast<const std::uint8_t*>(std::memchr(start, '\n', avail));
        std::size_t n = nl != nullptr ? static_cast<std::size_t>(nl - start) : avail;
        // Most lines lie whole in the buffer and hold no control character: no copy.
        if (nl != nullptr && !started && n <= kMaxLine && std::none_of(start, nl, IsControl)) {
            pos_ += n + 1;
            return Trimmed(start, n);
        }
        append(start, n);
        pos_ += n;
        started = true;
        if (nl == nullptr) continue;
        ++pos_;
        if (!overlong_) return Trimmed(line_.data(), line_.size());
        line_.clear();
        overlong_ = false;
        started = false;
    }
}

}  // namespace quorvex6::backend::codecs::ish
