// Byte-string tests that name handling needs in every format.
#pragma once
#include <string_view>

namespace quorvex6::backend::io {

bool IsAscii(std::string_view bytes);
// Well-formed UTF-8 sequences only: no stray continuation byte, no lead byte above F4, no
// sequence cut at the end.
bool IsValidUtf8(std::string_view bytes);

}  // namespace quorvex6::backend::io
