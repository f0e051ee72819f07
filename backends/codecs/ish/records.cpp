#include "codecs/ish/records.h"

#include "codecs/ish/crc16.h"
#include "codecs/ish/line_text.h"

namespace quorvex6::backend::codecs::ish {

namespace {

bool ReadAs(std::span<const std::uint8_t> text, Variant v, Record& out) {
    const Layout& l = LayoutOf(v);
    if (text.size() != l.text || !DecodeLine(v, text.data(), text.size(), out.bytes.data()))
        return false;
    out.length = l.record;
    return RecordSealed(out.bytes.data(), l.record);
}

}  // namespace

bool ReadHeaderLine(std::span<const std::uint8_t> text, Record& out) {
    if (text.empty()) return false;
    Variant v = Variant::kJis7;
    if (text[0] == '#') {
        v = Variant::kJis8;
    } else if (text[0] != '!') {
        return false;
    }
    return ReadAs(text, v, out) && out.number() == 0;
}

bool ReadDataLine(std::span<const std::uint8_t> text, Variant v, Record& out) {
    if (!ReadAs(text, v, out)) return false;
    const Layout& l = LayoutOf(v);
    std::size_t n = out.number();
    return (n >= 1 && n <= l.payload()) || n == l.vertical() || n == l.diagonal();
}

}  // namespace quorvex6::backend::codecs::ish
