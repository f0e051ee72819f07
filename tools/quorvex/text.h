// The program speaks UTF-8 on its command line, in scripts and in its output; the control
// speaks UTF-16. Conversions in from the user are strict, so that a mangled name is refused
// rather than packed under a different one.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace quorvex::cli {

// nullopt when bytes is not well-formed UTF-8.
std::optional<std::u16string> FromUtf8(std::string_view bytes);
// A name of a file to pack or extract: POSIX names may hold any bytes, so those that are not
// UTF-8 are carried as U+DC80..U+DCFF and reach the library unchanged.
std::u16string NameFromBytes(std::string_view bytes);
// An unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

// Columns a terminal gives text: East Asian wide and full-width characters take two.
size_t DisplayWidth(std::string_view utf8);

// Text from an archive made safe to show: a control character would act on the terminal (an
// escape sequence, a carriage return that hides the line). Shown as GNU tar shows them, by their
// C name or as octal bytes, with the backslash itself doubled so that no text reads two ways.
std::string TerminalText(std::string_view text);

}  // namespace quorvex::cli

namespace quorvex::cli {

// An optionally negative decimal integer and nothing else; nullopt otherwise or when it does
// not fit 64 bits.
std::optional<long long> ParseDecimal(std::string_view text);

}  // namespace quorvex::cli
