#include "text.h"

#include <cstdint>
#include <cstdio>

#include "platform/utf8.h"

namespace quorvex::cli {
namespace {

bool Wide(char32_t cp) {
    struct Range {
        char32_t first, last;
    };
    static constexpr Range kWide[] = {
        {0x1100, 0x115F},   {0x2E80, 0x303E},   {0x3041, 0x33FF}, {0x3400, 0x4DBF},
        {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xAC00, 0xD7A3}, {0xF900, 0xFAFF},
        {0xFE30, 0xFE4F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6}, {0x1F300, 0x1F64F},
        {0x1F900, 0x1F9FF}, {0x20000, 0x3FFFD},
    };
    for (const Range& r : kWide) {
        if (cp >= r.first && cp <= r.last) return true;
    }
    return false;
}

}  // namespace

std::optional<std::u16string> FromUtf8(std::string_view bytes) {
    return quorvex6::platform::DecodeUtf8(bytes);
}

std::u16string NameFromBytes(std::string_view bytes) {
    return quorvex6::platform::DecodeUtf8KeepingBytes(bytes);
}

std::string ToUtf8(std::u16string_view text) { return quorvex6::platform::EncodeUtf8(text); }

size_t DisplayWidth(std::string_view utf8) {
    size_t width = 0;
    for (size_t i = 0; i < utf8.size();) {
        const quorvex6::platform::Utf8Sequence s = quorvex6::platform::DecodeUtf8Sequence(utf8, i);
        i += s.length;
        width += s.valid && Wide(s.code) ? 2 : 1;  // a bad sequence shows as one replacement mark
    }
    return width;
}

std::string TerminalText(std::string_view text) {
    static constexpr std::string_view kNamed = "abtnvfr";  // for 7 to 13
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const auto s = quorvex6::platform::DecodeUtf8Sequence(text, i);
        const bool control = !s.valid || s.code < 0x20 || (s.code >= 0x7F && s.code < 0xA0);
        if (s.valid && s.code == '\\') {
            out += "\\\\";
        } else if (s.valid && s.code >= 7 && s.code <= 13) {
            out += '\\';
            out += kNamed[s.code - 7];
        } else if (control) {
            for (size_t b = i; b < i + s.length; ++b) {
                char octal[8];
                std::snprintf(octal, sizeof octal, "\\%03o", static_cast<unsigned char>(text[b]));
                out += octal;
            }
        } else {
            out.append(text.substr(i, s.length));
        }
        i += s.length;
    }
    return out;
}

}  // namespace quorvex::cli

#include <charconv>

namespace quorvex::cli {

std::optional<long long> ParseDecimal(std::string_view text) {
    long long value = 0;
    const char* end = text.data() + text.size();
    if (text.empty() || text.front() == '+') return std::nullopt;
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
}

}  // namespace quorvex::cli
