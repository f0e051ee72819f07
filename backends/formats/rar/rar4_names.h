// RAR 1.5-4.x names: the stored bytes in the system's code page, or (with the Unicode flag)
// those bytes, a NUL, and the UTF-16 name in RAR's compressed form; a Unicode name without the
// NUL is UTF-8.
#pragma once
#include <cstdint>
#include <span>
#include <string>

namespace quorvex6::backend::rar {

// The name as UTF-8, cut at a NUL the decoded text holds; separators are left as stored.
std::string DecodeRar4Name(std::span<const std::uint8_t> stored, bool unicode);

}  // namespace quorvex6::backend::rar
