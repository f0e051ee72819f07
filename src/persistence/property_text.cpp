#include "persistence/property_text.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <stdexcept>

#include "platform/utf8.h"
#include "quorvex6/file_property_bag.h"

namespace quorvex6::persistence {
namespace {

// Why a line is malformed; Parse adds the line number.
struct Malformed {
    const char* reason;
};

constexpr const char* kNotAValue = "a value is a number, True, False, Empty or a quoted string";

// The escapes of a string other than \uXXXX: the letter after the backslash, the character.
struct Escape {
    char16_t letter, character;
};
constexpr Escape kEscapes[] = {
    {u'"', u'"'}, {u'\\', u'\\'}, {u't', u'\t'}, {u'n', u'\n'}, {u'r', u'\r'}};

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }
bool IsControl(char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }
bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

std::u16string_view Trim(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool EqualsIgnoringCase(std::u16string_view text, std::u16string_view word) {
    return std::equal(text.begin(), text.end(), word.begin(), word.end(),
                      [](char16_t a, char16_t b) {
                          const auto lower = [](char16_t c) {
                              return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
                          };
                          return lower(a) == lower(b);
                      });
}

// The key rule, shared by reading and writing so that every key written reads back.
const char* KeyProblem(std::u16string_view key) {
    if (key.empty()) return "the key is missing";
    if (key.front() == u'#') return "a key cannot start with '#'";
    for (size_t i = 0; i < key.size(); ++i) {
        const char16_t c = key[i];
        // A byte-order mark would vanish from the start of a file, taking a key's first letter.
        if (IsBlank(c) || IsControl(c) || c == 0xFEFF) {
            return "a key holds no blanks, control characters or byte-order marks";
        }
        if (c == u'=' || c == u'"') return "a key holds no '=' or '\"'";
        if (IsHighSurrogate(c) && i + 1 < key.size() && IsLowSurrogate(key[i + 1])) {
            ++i;
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            return "a key holds no unpaired surrogate";
        }
    }
    return nullptr;
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

Variant ParseString(std::u16string_view text) {
    std::u16string value;
    size_t i = 1;  // past the opening quote
    for (;; ++i) {
        if (i == text.size()) throw Malformed{"the string has no closing quote"};
        const char16_t c = text[i];
        if (c == u'"') break;
        if (c != u'\\') {
            value.push_back(c);
            continue;
        }
        if (++i == text.size()) throw Malformed{"the string has no closing quote"};
        if (text[i] == u'u') {
            char16_t unit = 0;
            for (int k = 0; k < 4; ++k) {
                const int digit = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
                if (digit < 0) throw Malformed{"\\u takes four hexadecimal digits"};
                unit = static_cast<char16_t>(unit * 16 + digit);
                ++i;
            }
            value.push_back(unit);
            continue;
        }
        const auto* escape = std::find_if(std::begin(kEscapes), std::end(kEscapes),
                                          [&](const Escape& e) { return e.letter == text[i]; });
        if (escape == std::end(kEscapes)) throw Malformed{"unknown escape in the string"};
        value.push_back(escape->character);
    }
    if (!Trim(text.substr(i + 1)).empty()) throw Malformed{"text after the closing quote"};
    return Variant(std::move(value));
}

Variant ParseNumber(std::u16string_view text) {
    const bool long32 = text.back() == u'&';
    if (long32) text.remove_suffix(1);
    size_t i = 0;
    const bool negative = !text.empty() && text[0] == u'-';
    if (!text.empty() && (text[0] == u'-' || text[0] == u'+')) ++i;
    if (i == text.size()) throw Malformed{kNotAValue};
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9') {
            throw Malformed{kNotAValue};
        }
        // Past 2^31 nothing fits; stop before the sum can overflow.
        magnitude = std::min<int64_t>(magnitude * 10 + (text[i] - u'0'), int64_t{1} << 32);
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX) throw Malformed{"the number is outside 32 bits"};
    if (!long32 && value >= INT16_MIN && value <= INT16_MAX) {
        return Variant(static_cast<int16_t>(value));
    }
    return Variant(static_cast<int32_t>(value));
}

Variant ParseValue(std::u16string_view text) {
    if (text.empty()) throw Malformed{"the value is missing"};
    if (text.front() == u'"') return ParseString(text);
    if (EqualsIgnoringCase(text, u"True")) return Variant(Boolean{true});
    if (EqualsIgnoringCase(text, u"False")) return Variant(Boolean{false});
    if (EqualsIgnoringCase(text, u"Empty")) return Variant();
    return ParseNumber(text);
}

PropertyLine ParseLine(std::string_view bytes) {
    const std::optional<std::u16string> decoded = platform::DecodeUtf8(bytes);
    if (!decoded) throw Malformed{"the line is not UTF-8"};
    const std::u16string& line = *decoded;
    if (std::any_of(line.begin(), line.end(),
                    [](char16_t c) { return c != u'\t' && IsControl(c); })) {
        throw Malformed{"the line holds a control character"};
    }
    const std::u16string_view content = Trim(line);
    if (content.empty() || content.front() == u'#')
        return {std::nullopt, Variant(), std::string(bytes)};
    const size_t equals = content.find(u'=');
    if (equals == std::u16string_view::npos) throw Malformed{"the line has no '='"};
    const std::u16string_view key = Trim(content.substr(0, equals));
    if (const char* problem = KeyProblem(key)) throw Malformed{problem};
    return {std::u16string(key), ParseValue(Trim(content.substr(equals + 1))), {}};
}

void AppendUnit(std::string& out, char16_t unit) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kHex[(unit >> shift) & 0xF]);
}

void AppendUtf16(std::string& out, std::u16string_view text, bool escaping) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (escaping) {
            const auto* escape = std::find_if(std::begin(kEscapes), std::end(kEscapes),
                                              [c](const Escape& e) { return e.character == c; });
            if (escape != std::end(kEscapes)) {
                out.push_back('\\');
                out.push_back(static_cast<char>(escape->letter));
                continue;
            }
            // Line separators too, so that no editor breaks the line.
            if (IsControl(c) || c == 0x2028 || c == 0x2029) {
                AppendUnit(out, c);
                continue;
            }
        }
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            platform::AppendUtf8(out,
                                 0x10000 + ((char32_t(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            AppendUnit(out, c);  // only strings get here: keys hold no unpaired surrogates
        } else {
            platform::AppendUtf8(out, c);
        }
    }
}

}  // namespace

std::string FormatValue(const Variant& value) {
    switch (value.type()) {
        case VarType::Empty:
            return "Empty";
        case VarType::I2:
            return std::to_string(value.i2());
        case VarType::I4:
            return std::to_string(value.i4()) + "&";
        case VarType::Bool:
            return value.boolean() ? "True" : "False";
        case VarType::String: {
            std::string out = "\"";
            AppendUtf16(out, value.str(), true);
            return out + "\"";
        }
    }
    return {};
}

PropertyText PropertyText::Parse(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    PropertyText parsed;
    std::map<std::u16string, size_t> seen;  // key, line number
    for (size_t number = 1; !bytes.empty(); ++number) {
        const size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        try {
            parsed.lines_.push_back(ParseLine(line));
        } catch (const Malformed& malformed) {
            throw PropertyFileError(number, malformed.reason);
        }
        if (const auto& key = parsed.lines_.back().key) {
            const auto [earlier, added] = seen.emplace(*key, number);
            if (!added) {
                throw PropertyFileError(number,
                                        "the key repeats line " + std::to_string(earlier->second));
            }
        }
    }
    return parsed;
}

std::string PropertyText::Format() const {
    std::string out;
    for (const PropertyLine& line : lines_) {
        if (line.key) {
            AppendUtf16(out, *line.key, false);
            out += " = " + FormatValue(line.value);
        } else {
            out += line.text;
        }
        out.push_back('\n');
    }
    return out;
}

const Variant* PropertyText::Find(std::u16string_view key) const {
    for (const PropertyLine& line : lines_) {
        if (line.key && *line.key == key) return &line.value;
    }
    return nullptr;
}

void PropertyText::Set(const std::u16string& key, Variant value) {
    if (const char* problem = KeyProblem(key)) throw std::invalid_argument(problem);
    for (PropertyLine& line : lines_) {
        if (line.key && *line.key == key) {
            line.value = std::move(value);
            return;
        }
    }
    lines_.push_back({key, std::move(value), {}});
}

void PropertyText::Erase(std::u16string_view key) {
    std::erase_if(lines_, [key](const PropertyLine& line) { return line.key && *line.key == key; });
}

}  // namespace quorvex6::persistence
