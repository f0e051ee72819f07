#include <algorithm>
#include <cstring>
#include <vector>

#include "codecs/ish/check_lines.h"
#include "codecs/ish/crc16.h"
#include "codecs/ish/first_line.h"
#include "codecs/ish/ish.h"
#include "codecs/ish/line_text.h"

namespace quorvex6::codecs::ish {

namespace {

constexpr std::size_t kChunk = 256 << 10;

// The payload stream: the file's bytes, ~CRC-16 of them big-endian, then zeros.
class Payload {
public:
    Payload(Source& in, std::uint32_t size) : in_(in), left_(size), buffer_(kChunk) {}

    // Fills `n` bytes; false with status() when the Source fails or does not hold `size` bytes.
    bool fill(std::uint8_t* out, std::size_t n) {
        while (n > 0) {
            if (left_ == 0 && !ended_) {
                if (!at_end()) return false;
                ended_ = true;
            }
            if (left_ > 0) {
                if (pos_ == end_ && !refill()) return false;
                std::size_t k = std::min({n, end_ - pos_, static_cast<std::size_t>(left_)});
                std::memcpy(out, buffer_.data() + pos_, k);
                pos_ += k;
                left_ -= k;
                out += k;
                n -= k;
            } else {
                *out++ = trailer_ < 2 ? crc_byte(trailer_++) : 0;
                --n;
            }
        }
        return true;
    }
    Status status() const { return status_; }

private:
    bool refill() {
        std::ptrdiff_t got = in_.read(buffer_.data(), buffer_.size());
        if (got <= 0) {
            status_ = got < 0 ? Status::read_failed : Status::truncated;
            return false;
        }
        pos_ = 0;
        end_ = static_cast<std::size_t>(got);
        crc_ = crc16(crc_, buffer_.data(), end_);
        return true;
    }
    // The file's CRC covers what was read ahead too; nothing may follow its last byte.
    bool at_end() {
        if (pos_ < end_) {
            status_ = Status::corrupt;
            return false;
        }
        std::uint8_t extra = 0;
        std::ptrdiff_t got = in_.read(&extra, 1);
        if (got == 0) return true;
        status_ = got < 0 ? Status::read_failed : Status::corrupt;
        return false;
    }
    std::uint8_t crc_byte(int i) const {
        auto c = static_cast<std::uint16_t>(~crc_);
        return static_cast<std::uint8_t>(i == 0 ? c >> 8 : c);
    }

    Source& in_;
    std::uint64_t left_;
    std::vector<std::uint8_t> buffer_;
    std::size_t pos_ = 0, end_ = 0;
    std::uint16_t crc_ = kCrcStart;
    int trailer_ = 0;
    bool ended_ = false;
    Status status_ = Status::ok;
};

// The text of one file: lines gathered and passed on in large pieces, a title line at every
// 50th physical line and one at the end.
class Text {
public:
    Text(Sink& out, std::uint64_t limit, const FileInfo& info)
        : out_(out), limit_(limit), info_(info), lines_(announced_lines(info)) {
        buffer_.reserve(kChunk + 512);
    }

    // Room for one line of `n` characters, given back with end_line().
    std::uint8_t* line_room(std::size_t n) {
        std::size_t at = buffer_.size();
        buffer_.resize(at + n);
        return buffer_.data() + at;
    }
    bool end_line() {
        buffer_.push_back('\n');
        ++physical_;
        last_was_title_ = false;
        if ((physical_ + 1) % kTitleInterval == 0) title();
        return buffer_.size() < kChunk || flush();
    }
    bool line(const std::string& s) {
        std::memcpy(line_room(s.size()), s.data(), s.size());
        return end_line();
    }
    bool finish() {
        if (!last_was_title_) title();
        return flush();
    }
    Status status() const { return status_; }

private:
    void title() {
        std::string t = title_line(info_, ++physical_, lines_);
        buffer_.insert(buffer_.end(), t.begin(), t.end());
        buffer_.push_back('\n');
        last_was_title_ = true;
    }
    bool flush() {
        written_ += buffer_.size();
        if (written_ > limit_) {
            status_ = Status::expanded;
            return false;
        }
        if (!buffer_.empty() && !out_.write(buffer_.data(), buffer_.size())) {
            status_ = Status::write_failed;
            return false;
        }
        buffer_.clear();
        return true;
    }

    Sink& out_;
    std::uint64_t limit_;
    const FileInfo& info_;
    std::uint64_t lines_;
    std::vector<std::uint8_t> buffer_;
    std::uint64_t physical_ = 0;
    std::uint64_t written_ = 0;
    bool last_was_title_ = false;
    Status status_ = Status::ok;
};

class IshEncoder final : public Encoder {
public:
    explicit IshEncoder(const FileInfo& info) : info_(info) {}

    Status encode(Source& in, Sink& out, std::uint64_t limit) override {
        const Layout& l = layout(info_.variant);
        Text text(out, limit, info_);
        if (!text.line(first_line(info_, announced_lines(info_)))) return text.status();
        HeaderRecord header = make_header(info_);
        for (int copy = 0; copy < 3; ++copy) {
            encode_line(l.header, header.data(), text.line_room(layout(l.header).text));
            if (!text.end_line()) return text.status();
        }
        Payload payload(in, info_.size);
        const std::uint64_t per_block = l.payload();
        std::uint64_t lines = (std::uint64_t{info_.size} + 2 + per_block - 1) / per_block;
        auto grid = std::make_unique<Grid>();
        while (lines > 0) {
            std::size_t in_block = static_cast<std::size_t>(std::min(lines, per_block));
            lines -= in_block;
            for (std::size_t n = 1; n <= per_block; ++n) {
                Row& row = (*grid)[n];
                row[0] = static_cast<std::uint8_t>(n);
                if (n > in_block) {  // a short block counts its missing lines as zeros
                    std::fill(row.begin() + 1, row.begin() + static_cast<std::ptrdiff_t>(l.record), 0);
                    continue;
                }
                if (!payload.fill(row.data() + 1, l.payload())) return payload.status();
                if (!emit(text, row, l)) return text.status();
            }
            compute_check_rows(*grid, l);
            if (!emit(text, (*grid)[l.vertical()], l) || !emit(text, (*grid)[l.diagonal()], l))
                return text.status();
        }
        return text.finish() ? Status::ok : text.status();
    }

private:
    bool emit(Text& text, Row& row, const Layout& l) {
        seal_record(row.data(), l.record);
        encode_line(info_.variant, row.data(), text.line_room(l.text));
        return text.end_line();
    }

    FileInfo info_;
};

}  // namespace

std::unique_ptr<Encoder> make_encoder(const FileInfo& info) {
    return std::make_unique<IshEncoder>(info);
}

}  // namespace quorvex6::codecs::ish
