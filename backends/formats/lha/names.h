// Member names as LHA stores them: folder parts split by 0xFF (level 2 and 3), '\' or '/'
// (levels 0 and 1); characters in Shift_JIS (CP932), as Japanese LHA tools expect, or in
// UTF-8 when some character has no Shift_JIS form.
#ifndef QV_FORMATS_LHA_NAMES_H
#define QV_FORMATS_LHA_NAMES_H

#include <string>
#include <string_view>

namespace quorvex6::formats::lha {

struct StoredName {
    std::string folder;  // "a\xFFb\xFF" for "a/b/"; "" when at the top
    std::string file;
    bool utf8 = false;
};

// Encodes a UTF-8 '/'-separated name (folders end in '/').
StoredName encode_name(std::string_view utf8_path);

// Decodes raw name bytes (any separators) to UTF-8 with '/'; `utf8` tells which form it was.
std::string decode_name(std::string_view raw, bool* utf8);

}  // namespace quorvex6::formats::lha

#endif
