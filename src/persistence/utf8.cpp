#include "persistence/utf8.h"

#include "platform/utf8.h"

namespace quorvex6::persistence {

std::optional<std::u16string> DecodeUtf8(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const platform::Utf8Sequence s = platform::DecodeUtf8Sequence(bytes, i);
        if (!s.valid) return std::nullopt;
        platform::AppendUtf16(out, s.code);
        i += s.length;
    }
    return out;
}

}  // namespace quorvex6::persistence
