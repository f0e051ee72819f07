#include "quorvex6/variant.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <type_traits>

#include "platform/codepage.h"
#include "quorvex6/automation_error.h"

namespace quorvex6 {
namespace {

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? c + 32 : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::u16string_view TrimBlanks(std::u16string_view text) {
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
    return text;
}

// &H (hexadecimal) and &O (octal) text: its bits, saturated at 64 of them so that too many
// digits overflow every target.
std::optional<uint64_t> ParseRadix(std::u16string_view text) {
    if (text.size() < 3 || text[0] != u'&') return std::nullopt;
    const char16_t kind = text[1];
    const unsigned base = (kind == u'H' || kind == u'h')   ? 16
                          : (kind == u'O' || kind == u'o') ? 8
                                                           : 0;
    if (base == 0) return std::nullopt;
    uint64_t bits = 0;
    for (const char16_t c : text.substr(2)) {
        unsigned digit = base;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        if (digit >= base) return std::nullopt;
        bits = bits > (std::numeric_limits<uint64_t>::max() >> 4)
                   ? std::numeric_limits<uint64_t>::max()
                   : bits * base + digit;
    }
    return bits;
}

// Decimal text as the host's language reads a number: a sign, digits with an optional fraction,
// an optional exponent, or the words True and False. Beyond double: infinity, or 0 when tiny.
std::optional<double> ParseDecimal(std::u16string_view text) {
    if (EqualsIgnoringCase(text, u"True")) return -1.0;
    if (EqualsIgnoringCase(text, u"False")) return 0.0;
    std::string ascii;  // what from_chars reads, whatever the process's locale
    size_t i = 0;
    const auto take_digits = [&] {
        const size_t first = i;
        for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
            ascii += static_cast<char>(text[i]);
        }
        return i - first;
    };
    const auto take_sign = [&] {
        const bool minus = i < text.size() && text[i] == u'-';
        if (i < text.size() && (text[i] == u'+' || minus)) ++i;
        if (minus) ascii += '-';
        return minus;
    };
    const bool negative = take_sign();
    size_t digits = take_digits();
    if (i < text.size() && text[i] == u'.') {
        ascii += '.';
        ++i;
        digits += take_digits();
    }
    if (digits == 0) return std::nullopt;
    bool tiny = false;
    if (i < text.size() && (text[i] == u'E' || text[i] == u'e')) {
        ascii += 'e';
        ++i;
        tiny = take_sign();
        if (take_digits() == 0) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (error == std::errc::result_out_of_range) {
        if (tiny) return 0.0;
        return negative ? -HUGE_VAL : HUGE_VAL;
    }
    if (error != std::errc() || end != ascii.data() + ascii.size()) return std::nullopt;
    return value;
}

template <class T>
T Narrow(int64_t value) {
    if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max()) {
        throw AutomationError(automation::kOverflow);
    }
    return static_cast<T>(value);
}

template <class T>
T FromText(std::u16string_view raw) {
    const std::u16string_view text = TrimBlanks(raw);
    if (const auto bits = ParseRadix(text)) {
        // The digits fill the target's bits: "&HFFFF" is -1 as a 16-bit integer.
        using Bits = std::make_unsigned_t<T>;
        if (*bits > std::numeric_limits<Bits>::max()) throw AutomationError(automation::kOverflow);
        return static_cast<T>(static_cast<Bits>(*bits));
    }
    const auto number = ParseDecimal(text);
    if (!number) throw AutomationError(automation::kTypeMismatch);
    const double whole = std::nearbyint(*number);  // a fraction of one half goes to even
    if (!(whole >= std::numeric_limits<T>::min() && whole <= std::numeric_limits<T>::max())) {
        throw AutomationError(automation::kOverflow);
    }
    return static_cast<T>(whole);
}

template <class T>
T ToInteger(const Variant& v) {
    switch (v.type()) {
        case VarType::Empty:
            return 0;
        case VarType::I2:
            return Narrow<T>(v.i2());
        case VarType::I4:
            return Narrow<T>(v.i4());
        case VarType::Bool:
            return v.booleanBits();
        case VarType::String:
            return FromText<T>(v.str());
    }
    throw AutomationError(automation::kTypeMismatch);
}

std::u16string Decimal(int64_t value) { return platform::FromSystem(std::to_string(value)); }

}  // namespace

int16_t Variant::ToI2() const { return ToInteger<int16_t>(*this); }
int32_t Variant::ToI4() const { return ToInteger<int32_t>(*this); }

bool Variant::ToBool() const {
    if (type() != VarType::String) return ToI4() != 0;
    const std::u16string_view text = TrimBlanks(str());
    if (const auto bits = ParseRadix(text)) return *bits != 0;
    const auto number = ParseDecimal(text);
    if (!number) throw AutomationError(automation::kTypeMismatch);
    return *number != 0;  // not rounded first: "0.4" is on
}

int16_t Variant::ToBoolean() const {
    if (type() == VarType::Bool) return booleanBits();
    return ToBool() ? int16_t{-1} : int16_t{0};
}

std::u16string Variant::ToStr() const {
    switch (type()) {
        case VarType::Empty:
            return {};
        case VarType::I2:
            return Decimal(i2());
        case VarType::I4:
            return Decimal(i4());
        case VarType::Bool:
            return boolean() ? u"True" : u"False";
        case VarType::String:
            return str();
    }
    return {};
}

AutomationError::AutomationError(int32_t number)
    : std::runtime_error("automation error " + std::to_string(number)), number_(number) {}

}  // namespace quorvex6
