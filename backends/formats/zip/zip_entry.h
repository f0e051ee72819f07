// One entry as the central directory describes it.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "common/entry_info.h"

namespace quorvex6::backend::zip {

struct ZipEntry {
    std::string name;  // UTF-8, '/' separated; folders end in '/'
    uint16_t version_made_by = 0;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint16_t dos_time = 0;
    uint16_t dos_date = 0;
    uint32_t crc = 0;
    uint64_t compressed_size = 0;
    uint64_t original_size = 0;
    uint64_t local_offset = 0;
    uint32_t external_attributes = 0;
    std::optional<int64_t> unix_mtime;  // extended timestamp, when present

    bool encrypted() const;
    bool folder() const;
    bool symlink() const;
    std::optional<uint32_t> unix_mode() const;  // permission and type bits when made on Unix
    int64_t mtime() const;
    uint32_t os_type() const;
    EntryFacts Facts() const;
};

// The method's name in the record's method field: "Store", "Defla", "Def64", "BZip2", "LZMA".
std::string MethodText(uint16_t method);

}  // namespace quorvex6::backend::zip
