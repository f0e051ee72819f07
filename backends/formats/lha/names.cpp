#include "formats/lha/names.h"

#include "common/code_page.h"
#include "formats/lha/lha_format.h"
#include "io/text.h"

namespace quorvex6::backend::lha {

namespace {

// Only Unix LHA tools take '\' for part of a name; the others write it between folders.
bool BackslashSeparates(char os_id) { return os_id != 'U'; }

void Replace(std::string& text, char from, char to) {
    for (char& c : text) {
        if (c == from) c = to;
    }
}

// Without a code page, Shift_JIS wins where both fit: what LHA tools write, and names such as
// half-width kana pairs are valid UTF-8 too. Bytes that are no text stay bytes when Unix wrote
// them (any bytes make a POSIX name); MS-DOS names were in its code page.
std::string ToText(const std::string& bytes, const NameSource& source, bool* utf8) {
    *utf8 = false;
    if (io::IsAscii(bytes)) return bytes;
    std::string text;
    if (source.code_page == kCodePageUtf8 && io::IsValidUtf8(bytes)) {
        *utf8 = true;
        return bytes;
    }
    if (source.code_page && *source.code_page != kCodePageUtf8 &&
        ConvertToUtf8("CP" + std::to_string(*source.code_page), bytes, &text))
        return text;
    if (ConvertToUtf8("CP932", bytes, &text)) return text;
    if (io::IsValidUtf8(bytes)) {
        *utf8 = true;
        return bytes;
    }
    if (source.os_id != 'U' && ConvertToUtf8("CP437", bytes, &text)) return text;
    return bytes;
}

}  // namespace

StoredName EncodeName(std::string_view path, const std::optional<std::string>& link_target) {
    StoredName out;
    std::string bytes(path);
    if (link_target) bytes += kLinkBar + *link_target;
    if (!io::IsAscii(bytes)) {
        std::string legacy;
        if (ConvertFromUtf8("CP932", bytes, &legacy)) {
            bytes = legacy;
            out.code_page = kCodePageShiftJis;
        } else if (io::IsValidUtf8(bytes)) {
            out.code_page = kCodePageUtf8;
        }
    }
    // A '/' byte never occurs inside a Shift_JIS character, so the cut is safe in either form.
    std::size_t cut = bytes.rfind('/');
    if (cut == std::string::npos) {
        out.file = bytes;
        return out;
    }
    out.file = bytes.substr(cut + 1);
    out.folder = bytes.substr(0, cut + 1);
    Replace(out.folder, '/', kFolderSeparator);
    return out;
}

std::optional<std::string> UnstorableName(std::string_view path,
                                          const std::optional<std::string>& link_target) {
    if (path.find(kFolderSeparator) != std::string_view::npos ||
        (link_target && link_target->find(kFolderSeparator) != std::string::npos))
        return "a 0xFF byte would read back as a folder separator";
    if (link_target && path.find(kLinkBar) != std::string_view::npos)
        return "readers end a link's name at its first '|'";
    return std::nullopt;
}

DecodedName DecodeName(const NameSource& source) {
    const bool backslash = BackslashSeparates(source.os_id);
    // 0xFF is no byte of a Shift_JIS or UTF-8 character: it can be replaced before decoding.
    std::string bytes = source.folder;
    Replace(bytes, kFolderSeparator, '/');
    if (!bytes.empty() && bytes.back() != '/' && !(backslash && bytes.back() == '\\')) bytes += '/';
    std::string file = source.file;
    if (source.path_in_base) Replace(file, kFolderSeparator, '/');
    bytes += file;
    DecodedName out;
    out.path = ToText(bytes, source, &out.utf8);
    // Only now is a '\' surely a separator: in Shift_JIS the byte 0x5C is also a second byte.
    if (backslash) Replace(out.path, '\\', '/');
    return out;
}

}  // namespace quorvex6::backend::lha
