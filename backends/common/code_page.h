// Legacy name encodings of archives made on other systems, converted to UTF-8 with the C
// library's iconv (glibc carries CP437 and CP932).
#pragma once
#include <string>
#include <string_view>

namespace quorvex6::backend {

// Empty optional-like result: returns false when `bytes` is not valid in that code page.
bool ConvertToUtf8(std::string_view code_page, std::string_view bytes, std::string* out);
// The reverse: false when some character of `utf8` has no form in that code page.
bool ConvertFromUtf8(std::string_view code_page, std::string_view utf8, std::string* out);
// Names without a UTF-8 mark: ASCII or valid UTF-8 as is, else Shift_JIS (CP932) when
// valid, else CP437.
std::string DecodeLegacyName(std::string_view bytes);

}  // namespace quorvex6::backend
