// Member names as LHA stores them. Which bytes separate folders depends on where a name is kept
// and on the system that wrote it: 0xFF in the folder header (and in the whole path a level 0/1
// base header may hold), '\' only from systems where it cannot be part of a name (all but
// Unix), '/' everywhere. Characters are Shift_JIS (CP932), as LHA tools expect, or UTF-8 when
// some character has no Shift_JIS form; a code page extended header says which. Names that are
// neither (a POSIX name may be any bytes) are stored as their bytes and read back as such.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvex6::backend::lha {

struct StoredName {
    std::string folder;  // "a\xFFb\xFF" for "a/b/"; "" when at the top
    std::string file;
    std::optional<std::uint32_t> code_page;  // for text that is not ASCII
};

// `path` is '/' separated (folders end in '/'). A link's target follows its name after '|', as
// every reader splits it, and the whole is cut at its last '/' as Unix LHA tools cut it.
StoredName EncodeName(std::string_view path, const std::optional<std::string>& link_target);

// Why a name cannot be stored so that readers get it back; nullopt when it can.
std::optional<std::string> UnstorableName(std::string_view path,
                                          const std::optional<std::string>& link_target);

struct NameSource {
    std::string folder;         // the folder extended header
    std::string file;           // the file name extended header, or the base header's name
    bool path_in_base = false;  // `file` is a level 0/1 base-header name, which may hold folders
    char os_id = 0;
    std::optional<std::uint32_t> code_page;
};

struct DecodedName {
    std::string path;   // '/' separated
    bool utf8 = false;  // the stored bytes were UTF-8 rather than a legacy code page
};

DecodedName DecodeName(const NameSource& source);

}  // namespace quorvex6::backend::lha
