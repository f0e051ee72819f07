#include "codecs/ish/records.h"

#include "codecs/ish/crc16.h"
#include "codecs/ish/line_text.h"

namespace quorvex6::codecs::ish {

namespace {

bool read_as(std::span<const std::uint8_t> text, Variant v, Record& out) {
    const Layout& l = layout(v);
    if (text.size() != l.text || !decode_line(v, text.data(), text.size(), out.bytes.data()))
        return false;
    out.length = l.record;
    return record_sealed(out.bytes.data(), l.record);
}

}  // namespace

bool read_header_line(std::span<const std::uint8_t> text, Record& out) {
    if (text.empty()) return false;
    Variant v = Variant::jis7;
    if (text[0] == '#') {
        v = Variant::jis8;
    } else if (text[0] != '!') {
        return false;
    }
    return read_as(text, v, out) && out.number() == 0;
}

bool read_data_line(std::span<const std::uint8_t> text, Variant v, Record& out) {
    if (!read_as(text, v, out)) return false;
    const Layout& l = layout(v);
    std::size_t n = out.number();
    return (n >= 1 && n <= l.payload()) || n == l.vertical() || n == l.diagonal();
}

}  // namespace quorvex6::codecs::ish
