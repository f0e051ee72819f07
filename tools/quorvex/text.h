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
// An unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

// Columns a terminal gives text: East Asian wide and full-width characters take two.
size_t DisplayWidth(std::string_view utf8);

}  // namespace quorvex::cli

namespace quorvex::cli {

// An optionally negative decimal integer and nothing else; nullopt otherwise or when it does
// not fit 64 bits.
std::optional<long long> ParseDecimal(std::string_view text);

}  // namespace quorvex::cli
