// How the bytes of a stored name become the name we list and extract.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvex6::backend::zip {

// FAT, HPFS, NTFS, VFAT: systems whose names cannot hold a backslash, and whose tools wrote
// names in the OEM code page when they set no UTF-8 flag.
bool MadeOnDosOrWindows(uint16_t version_made_by);

// `unicode` is the name of a valid Unicode-path extra field, empty when there is none.
// Unflagged names are chosen by the system that made the entry: from MS-DOS/Windows Shift_JIS
// (CP932) when valid, else UTF-8 when valid, else CP437; from Unix the bytes as stored (the
// system's own name, whatever its encoding); from others UTF-8, Shift_JIS, CP437 in that order.
// A backslash separates folders only in names from MS-DOS/Windows.
std::string EntryName(std::string_view raw, uint16_t flags, uint16_t version_made_by,
                      const std::string& unicode);

}  // namespace quorvex6::backend::zip
