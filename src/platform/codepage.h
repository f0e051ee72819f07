// The control's strings are UTF-16; every library and platform call takes the system code page
// (UTF-8 on POSIX). Ill-formed input never fails: it becomes U+FFFD (or its code-page form).
// On POSIX, ToSystem turns U+DC80..U+DCFF back into the bytes they carry
// (DecodeUtf8KeepingBytes), so that a host can name a file whose name is not UTF-8.
#pragma once
#include <string>
#include <string_view>

namespace quorvex6::platform {

std::string ToSystem(std::u16string_view text);
std::u16string FromSystem(std::string_view text);

}  // namespace quorvex6::platform
