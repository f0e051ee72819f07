#include "platform/utf8.h"

#include <cstdint>

namespace quorvex6::platform {

Utf8Sequence DecodeUtf8Sequence(std::string_view bytes, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(bytes[i]); };
    const uint8_t lead = byte(at);
    size_t extra = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        return {lead, 1, true};
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1, c = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, c = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, c = lead & 0x07, minimum = 0x10000;
    } else {
        return {0, 1, false};
    }
    size_t used = 1;
    for (; used <= extra; ++used) {
        if (at + used >= bytes.size() || (byte(at + used) & 0xC0) != 0x80) return {0, used, false};
        c = (c << 6) | (byte(at + used) & 0x3F);
    }
    const bool valid = c >= minimum && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
    return {c, used, valid};
}

std::pair<char32_t, size_t> NextCodePoint(std::u16string_view text, size_t at) {
    const char32_t c = text[at];
    if (c >= 0xD800 && c <= 0xDBFF && at + 1 < text.size() && text[at + 1] >= 0xDC00 &&
        text[at + 1] <= 0xDFFF) {
        return {0x10000 + ((c - 0xD800) << 10) + (text[at + 1] - 0xDC00), 2};
    }
    if (c >= 0xD800 && c <= 0xDFFF) return {kReplacementCharacter, 1};
    return {c, 1};
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

void AppendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    }
}

std::optional<std::u16string> DecodeUtf8(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const Utf8Sequence s = DecodeUtf8Sequence(bytes, i);
        if (!s.valid) return std::nullopt;
        AppendUtf16(out, s.code);
        i += s.length;
    }
    return out;
}

std::string EncodeUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto [code, units] = NextCodePoint(text, i);
        AppendUtf8(out, code);
        i += units;
    }
    return out;
}

namespace {

constexpr char16_t kFirstCarriedByte = 0xDC80;
constexpr char16_t kLastCarriedByte = 0xDCFF;

}  // namespace

std::u16string DecodeUtf8KeepingBytes(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const Utf8Sequence s = DecodeUtf8Sequence(bytes, i);
        if (s.valid) {
            AppendUtf16(out, s.code);
            i += s.length;
        } else {
            // Only the first byte: the next one may start a sound sequence. A byte below 0x80 is
            // always sound, so every carried byte lands in the range.
            out.push_back(static_cast<char16_t>(0xDC00 + static_cast<uint8_t>(bytes[i])));
            ++i;
        }
    }
    return out;
}

std::string EncodeUtf8KeepingBytes(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto [code, units] = NextCodePoint(text, i);
        if (text[i] >= kFirstCarriedByte && text[i] <= kLastCarriedByte) {
            out.push_back(static_cast<char>(text[i] - 0xDC00));
        } else {
            AppendUtf8(out, code);
        }
        i += units;
    }
    return out;
}

}  // namespace quorvex6::platform
