#include "formats/lha/names.h"

#include "common/code_page.h"

namespace quorvex6::formats::lha {

namespace {
constexpr char kSeparator = '\xFF';
}

StoredName encode_name(std::string_view utf8_path) {
    StoredName out;
    std::string bytes(utf8_path);
    if (!backend::IsAscii(bytes)) {
        std::string legacy;
        if (backend::ConvertFromUtf8("CP932", bytes, &legacy)) {
            bytes = legacy;
        } else {
            out.utf8 = true;
        }
    }
    // Separators are split only after conversion, and from the UTF-8 side: in Shift_JIS a '/'
    // byte never occurs inside a character, so finding '/' in either form is safe.
    std::size_t cut = bytes.rfind('/');
    if (cut == std::string::npos) {
        out.file = bytes;
        return out;
    }
    out.file = bytes.substr(cut + 1);
    out.folder = bytes.substr(0, cut + 1);
    for (char& c : out.folder) {
        if (c == '/') c = kSeparator;
    }
    return out;
}

std::string decode_name(std::string_view raw, bool* utf8) {
    std::string bytes(raw);
    for (char& c : bytes) {
        if (c == kSeparator) c = '/';
    }
    std::string text;
    *utf8 = false;
    if (backend::IsAscii(bytes)) {
        text = bytes;
    } else if (backend::IsValidUtf8(bytes)) {
        text = bytes;
        *utf8 = true;
    } else {
        text = backend::DecodeLegacyName(bytes);
    }
    // Only now is a '\' surely a separator: in Shift_JIS the byte 0x5C is also a second byte.
    for (char& c : text) {
        if (c == '\\') c = '/';
    }
    return text;
}

}  // namespace quorvex6::formats::lha
