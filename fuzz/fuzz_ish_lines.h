// Fuzz input as ISH text: either the bytes as they are, or (first byte odd) records that are
// sealed and written as lines, so that the fuzzer reaches block assembly and repair instead of
// spending itself on CRCs. Each record is one selector byte (bits 0-1: variant, bit 2: header
// record) and the record's bytes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "codecs/codec.h"
#include "codecs/ish/crc16.h"
#include "codecs/ish/line_text.h"

namespace quorvex6::backend::codecs::ish::fuzz {

// The text, `step` bytes a read at the most, so that lines are cut across reads.
class TextSource final : public Source {
  public:
    TextSource(const std::vector<std::uint8_t>& text, std::size_t step)
        : text_(text), step_(step) {}
    std::ptrdiff_t read(std::uint8_t* out, std::size_t n) override {
        std::size_t k = std::min({n, text_.size() - pos_, step_});
        std::copy_n(text_.data() + pos_, k, out);
        pos_ += k;
        return static_cast<std::ptrdiff_t>(k);
    }

  private:
    const std::vector<std::uint8_t>& text_;
    std::size_t step_;
    std::size_t pos_ = 0;
};

inline std::vector<std::uint8_t> text_from(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || (data[0] & 1) == 0) return {data, data + size};
    std::vector<std::uint8_t> text;
    std::size_t at = 1;
    while (at < size) {
        std::uint8_t selector = data[at++];
        auto v = static_cast<Variant>(selector & 3);
        if ((selector & 4) != 0) v = LayoutOf(v).header;
        const Layout& l = LayoutOf(v);
        std::uint8_t record[kMaxRecord] = {};
        std::size_t n = std::min(l.record - 2, size - at);
        std::copy_n(data + at, n, record);
        at += n;
        if ((selector & 4) != 0) record[0] = 0;
        if (v == Variant::kNonKana) record[0] %= 91;  // no line number of ours is larger
        SealRecord(record, l.record);
        std::size_t start = text.size();
        text.resize(start + l.text);
        EncodeLine(v, record, text.data() + start);
        text.push_back('\n');
    }
    return text;
}

}  // namespace quorvex6::backend::codecs::ish::fuzz
