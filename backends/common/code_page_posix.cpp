#include <iconv.h>

#include <string>

#include "common/code_page.h"
#include "io/text.h"

namespace quorvex6::backend {

namespace {

bool Convert(const char* to, const char* from, std::string_view bytes, std::string* out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string input(bytes);
    out->assign(bytes.size() * 4 + 4, '\0');
    char* in_ptr = input.data();
    size_t in_left = input.size();
    char* out_ptr = out->data();
    size_t out_left = out->size();
    size_t rc = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1) || in_left != 0) return false;
    out->resize(out->size() - out_left);
    return true;
}

}  // namespace

bool ConvertToUtf8(std::string_view code_page, std::string_view bytes, std::string* out) {
    return Convert("UTF-8", std::string(code_page).c_str(), bytes, out);
}

bool ConvertFromUtf8(std::string_view code_page, std::string_view utf8, std::string* out) {
    // Only conversions that come back unchanged count: iconv may substitute silently.
    std::string back;
    return Convert(std::string(code_page).c_str(), "UTF-8", utf8, out) &&
           ConvertToUtf8(code_page, *out, &back) && back == utf8;
}

std::string DecodeLegacyName(std::string_view bytes) {
    // Valid UTF-8 first: tools on POSIX store UTF-8 names without the flag, and such names
    // would often also pass as CP932 (as half-width kana), while real Shift_JIS names are
    // rarely valid UTF-8.
    if (io::IsAscii(bytes) || io::IsValidUtf8(bytes)) return std::string(bytes);
    std::string out;
    if (ConvertToUtf8("CP932", bytes, &out)) return out;
    if (ConvertToUtf8("CP437", bytes, &out)) return out;
    return std::string(bytes.size(), '_');
}

}  // namespace quorvex6::backend
