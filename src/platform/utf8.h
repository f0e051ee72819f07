// UTF-8 and UTF-16, one code point at a time and whole strings: the system code page on POSIX,
// the property file and the command-line program build on these, each with its own rule for
// bytes that are not UTF-8. Platform-neutral: a host program may compile it in too.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace quorvex6::platform {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

struct Utf8Sequence {
    char32_t code;  // meaningful only when valid
    size_t length;  // bytes taken; at least 1, also for an invalid sequence
    bool valid;     // false for overlong forms, surrogates, stray or missing continuation bytes
};

// The sequence starting at bytes[at]; at < bytes.size().
Utf8Sequence DecodeUtf8Sequence(std::string_view bytes, size_t at);

// The code point starting at text[at] and its length in units; an unpaired surrogate is the
// replacement character.
std::pair<char32_t, size_t> NextCodePoint(std::u16string_view text, size_t at);

void AppendUtf8(std::string& out, char32_t c);
void AppendUtf16(std::u16string& out, char32_t c);

// Strict: nullopt for bytes that are not well-formed UTF-8, so that a damaged name or file is
// refused rather than taken for another.
std::optional<std::u16string> DecodeUtf8(std::string_view bytes);
// An unpaired surrogate becomes the replacement character.
std::string EncodeUtf8(std::u16string_view text);

// POSIX names may hold any bytes. These carry each byte of a sequence that is not UTF-8 as the
// unpaired surrogate U+DC80..U+DCFF (no UTF-8 text decodes to one), so that such a name
// survives the trip through UTF-16 exactly; other unpaired surrogates become the replacement
// character.
std::u16string DecodeUtf8KeepingBytes(std::string_view bytes);
std::string EncodeUtf8KeepingBytes(std::u16string_view text);

}  // namespace quorvex6::platform
