#include "platform/codepage.h"

#include "platform/utf8.h"

namespace quorvex6::platform {

// The system code page here is UTF-8; what does not convert becomes the replacement character
// both ways, so that no conversion ever fails, except that a name's bytes carried as
// U+DC80..U+DCFF (a host's name that is not UTF-8) reach the library as those bytes.
std::string ToSystem(std::u16string_view text) { return EncodeUtf8KeepingBytes(text); }

std::u16string FromSystem(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const Utf8Sequence s = DecodeUtf8Sequence(text, i);
        AppendUtf16(out, s.valid ? s.code : kReplacementCharacter);
        i += s.length;
    }
    return out;
}

}  // namespace quorvex6::platform
