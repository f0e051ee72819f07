// UTF-8 as the property file stores it, whatever the system code page: strict on reading, so
// that a damaged file is reported instead of silently rewritten with replacement characters.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace quorvex6::persistence {

// nullopt for bytes that are not well-formed UTF-8 (overlong forms, surrogates, truncation).
std::optional<std::u16string> DecodeUtf8(std::string_view bytes);

}  // namespace quorvex6::persistence
