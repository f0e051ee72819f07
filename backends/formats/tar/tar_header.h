// The header blocks in front of one entry of a TAR archive we write: ustar where its fields hold
// the entry, with a pax extended header in front where they cannot (long or non-ASCII names and
// link targets, sizes and times out of the octal fields' range; hdrcharset=BINARY for names and
// targets that are not UTF-8).
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "formats/tar/tar_format.h"

namespace quorvex6::backend::tar {

enum class HeaderType : char {
    kFile = typeflag::kRegular,
    kSymlink = typeflag::kSymlink,
    kFolder = typeflag::kFolder,
};

struct HeaderFields {
    std::string_view name;  // folders end in '/'
    HeaderType type = HeaderType::kFile;
    uint32_t mode = 0;  // permission bits
    uint64_t size = 0;  // files only
    int64_t mtime = 0;
    std::string_view link;  // symlinks
};

// Appends the header blocks (a whole number of kBlock bytes) to `out`.
void AppendHeader(const HeaderFields& fields, std::vector<uint8_t>& out);

}  // namespace quorvex6::backend::tar
