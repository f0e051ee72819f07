#include "quorvex6/variant.h"

#include <cmath>
#include <limits>
#include <optional>

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

// Text as the host's language reads a number: blanks around, a sign, digits, an optional
// fraction rounded half to even, or the words True and False.
std::optional<double> ParseNumber(std::u16string_view raw) {
    const std::u16string_view text = TrimBlanks(raw);
    if (EqualsIgnoringCase(text, u"True")) return -1.0;
    if (EqualsIgnoringCase(text, u"False")) return 0.0;
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    double value = 0;
    size_t digits = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i, ++digits) {
        value = value * 10 + (text[i] - u'0');
    }
    if (i < text.size() && text[i] == u'.') {
        double scale = 0.1;
        for (++i; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i, ++digits) {
            value += (text[i] - u'0') * scale;
            scale /= 10;
        }
    }
    if (digits == 0 || i != text.size()) return std::nullopt;
    return negative ? -value : value;
}

int64_t ToWhole(const Variant& v) {
    switch (v.type()) {
        case VarType::Empty: return 0;
        case VarType::I2: return v.i2();
        case VarType::I4: return v.i4();
        case VarType::Bool: return v.boolean() ? -1 : 0;
        case VarType::String: {
            const auto number = ParseNumber(v.str());
            if (!number) throw AutomationError(automation::kTypeMismatch);
            if (std::fabs(*number) > 4e18) throw AutomationError(automation::kOverflow);
            return static_cast<int64_t>(std::nearbyint(*number));
        }
    }
    throw AutomationError(automation::kTypeMismatch);
}

template <class T>
T Narrow(int64_t value) {
    if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max()) {
        throw AutomationError(automation::kOverflow);
    }
    return static_cast<T>(value);
}

std::u16string Decimal(int64_t value) { return platform::FromSystem(std::to_string(value)); }

}  // namespace

int16_t Variant::ToI2() const { return Narrow<int16_t>(ToWhole(*this)); }
int32_t Variant::ToI4() const { return Narrow<int32_t>(ToWhole(*this)); }

bool Variant::ToBool() const {
    if (type() == VarType::Bool) return boolean();
    return ToWhole(*this) != 0;
}

std::u16string Variant::ToStr() const {
    switch (type()) {
        case VarType::Empty: return {};
        case VarType::I2: return Decimal(i2());
        case VarType::I4: return Decimal(i4());
        case VarType::Bool: return boolean() ? u"True" : u"False";
        case VarType::String: return str();
    }
    return {};
}

AutomationError::AutomationError(int32_t number)
    : std::runtime_error("automation error " + std::to_string(number)), number_(number) {}

}  // namespace quorvex6
