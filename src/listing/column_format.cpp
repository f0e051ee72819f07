#include "listing/column_format.h"

#include <algorithm>
#include <string>

namespace quorvex6::listing {
namespace {

// The upper-case letters beyond ASCII of Latin-1, Latin Extended-A, Greek, Cyrillic and the
// full-width Latin forms, each range mapped to lower case by a constant shift or, where upper and
// lower alternate, to the next code unit. A table rather than the C library's, whose answer depends
// on a locale.
struct UpperRange {
    char16_t first;
    char16_t last;
    int32_t shift;
    bool alternating;  // upper at even distance from first, its lower right after it
};

constexpr UpperRange kUpperRanges[] = {
    {0x00C0, 0x00D6, 32, false},
    {0x00D8, 0x00DE, 32, false},
    {0x0100, 0x012F, 1, true},
    {0x0130, 0x0130, u'i' - 0x0130, false},
    {0x0132, 0x0137, 1, true},
    {0x0139, 0x0148, 1, true},
    {0x014A, 0x0177, 1, true},
    {0x0178, 0x0178, 0x00FF - 0x0178, false},
    {0x0179, 0x017E, 1, true},
    {0x0386, 0x0386, 0x03AC - 0x0386, false},
    {0x0388, 0x038A, 0x03AD - 0x0388, false},
    {0x038C, 0x038C, 0x03CC - 0x038C, false},
    {0x038E, 0x038F, 0x03CD - 0x038E, false},
    {0x0391, 0x03A1, 32, false},
    {0x03A3, 0x03AB, 32, false},
    {0x03D8, 0x03EF, 1, true},
    {0x0400, 0x040F, 80, false},
    {0x0410, 0x042F, 32, false},
    {0x0460, 0x0481, 1, true},
    {0x048A, 0x04BF, 1, true},
    {0x04C0, 0x04C0, 0x04CF - 0x04C0, false},
    {0x04C1, 0x04CE, 1, true},
    {0x04D0, 0x052F, 1, true},
    {0xFF21, 0xFF3A, 32, false},
};

char16_t ToLower(char16_t c) {
    if (c < 0x00C0) return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
    for (const UpperRange& range : kUpperRanges) {
        if (c < range.first || c > range.last) continue;
        if (range.alternating && (c - range.first) % 2 != 0) return c;
        return static_cast<char16_t>(c + range.shift);
    }
    return c;
}

void AppendTwoDigits(std::u16string& out, unsigned value) {
    out.push_back(static_cast<char16_t>(u'0' + value / 10 % 10));
    out.push_back(static_cast<char16_t>(u'0' + value % 10));
}

std::u16string Joined(unsigned a, unsigned b, unsigned c, char16_t separator) {
    std::u16string out;
    out.reserve(8);
    AppendTwoDigits(out, a);
    out.push_back(separator);
    AppendTwoDigits(out, b);
    out.push_back(separator);
    AppendTwoDigits(out, c);
    return out;
}

}  // namespace

std::u16string FormatDigits(std::u16string_view digits, bool negative,
                            const platform::NumberSeparators& separators) {
    const size_t first = digits.find_first_not_of(u'0');
    if (first == std::u16string_view::npos) return {};
    digits.remove_prefix(first);
    std::u16string out;
    out.reserve(digits.size() + digits.size() / 3 * separators.thousands.size() + 1);
    if (negative) out.push_back(u'-');
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0) out += separators.thousands;
        out.push_back(digits[i]);
    }
    return out;
}

std::u16string FormatSize(int64_t value, const platform::NumberSeparators& separators) {
    // The magnitude as unsigned, so that the most negative value has one too.
    uint64_t magnitude =
        value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    char16_t digits[20];
    size_t start = std::size(digits);
    do {
        digits[--start] = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    return FormatDigits({digits + start, std::size(digits) - start}, value < 0, separators);
}

std::u16string FormatRatio(int16_t perMille, const platform::NumberSeparators& separators) {
    const int magnitude = perMille < 0 ? -perMille : perMille;
    std::u16string out = perMille < 0 ? u"-" : u"";
    for (const char digit : std::to_string(magnitude / 10))
        out.push_back(static_cast<char16_t>(digit));
    out += separators.decimal;
    out.push_back(static_cast<char16_t>(u'0' + magnitude % 10));
    out.push_back(u'%');
    return out;
}

std::u16string FormatDosDate(uint16_t date) {
    const unsigned year = (date >> 9) + 80u;
    return Joined(year % 100, (date >> 5) & 15u, date & 31u, u'/');
}

std::u16string FormatDosTime(uint16_t time) {
    return Joined(time >> 11, (time >> 5) & 63u, (time & 31u) * 2, u':');
}

std::u16string FormatCrc(uint32_t crc) {
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    std::u16string out(4, u'0');
    for (int i = 3; i >= 0; --i, crc >>= 4) out[static_cast<size_t>(i)] = kHex[crc & 15];
    return out;
}

std::u16string FormatAttributes(std::u16string_view text) {
    std::u16string out(text.substr(0, 4));
    std::transform(out.begin(), out.end(), out.begin(), ToLower);
    return out;
}

std::u16string FormatMethod(std::u16string_view text) { return std::u16string(text.substr(0, 5)); }

}  // namespace quorvex6::listing
