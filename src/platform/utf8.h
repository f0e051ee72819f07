// UTF-8 and UTF-16 code points, one at a time: the system code page on POSIX and the property
// file's encoding both build on these, each with its own rule for bytes that are not UTF-8.
#pragma once
#include <cstddef>
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

}  // namespace quorvex6::platform
