#include "formats/zip/zip_names.h"

#include <algorithm>

#include "common/code_page.h"
#include "formats/zip/zip_format.h"
#include "io/text.h"

namespace quorvex6::backend::zip {

bool MadeOnDosOrWindows(uint16_t version_made_by) {
    switch (version_made_by >> 8) {
        case kHostDos:
        case kHostHpfs:
        case kHostNtfs:
        case kHostNtfsInfoZip:
        case kHostVfat:
            return true;
        default:
            return false;
    }
}

namespace {

std::string UnflaggedName(std::string_view raw, uint16_t version_made_by) {
    if ((version_made_by >> 8) == kHostUnix) return std::string(raw);
    std::string converted;
    // Half-width kana pairs from Windows are often valid UTF-8 too: the system decides.
    if (MadeOnDosOrWindows(version_made_by) && !io::IsAscii(raw) &&
        ConvertToUtf8("CP932", raw, &converted))
        return converted;
    return DecodeLegacyName(raw);
}

}  // namespace

std::string EntryName(std::string_view raw, uint16_t flags, uint16_t version_made_by,
                      const std::string& unicode) {
    std::string name;
    if (!unicode.empty())
        name = unicode;
    else if ((flags & kFlagUtf8) && io::IsValidUtf8(raw))
        name = std::string(raw);
    else
        name = UnflaggedName(raw, version_made_by);
    if (MadeOnDosOrWindows(version_made_by)) std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

}  // namespace quorvex6::backend::zip
