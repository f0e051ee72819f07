// One entry as the central directory describes it.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "common/entry_info.h"

namespace quorvex6::backend::zip {

struct ZipEntry {
    std::string name;  // UTF-8 (from Unix: the bytes stored), '/' separated; folders end in '/'
    uint16_t version_made_by = 0;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint16_t dos_time = 0;
    uint16_t dos_date = 0;
    uint32_t crc = 0;
    uint64_t compressed_size = 0;
    uint64_t original_size = 0;
    uint64_t local_offset = 0;  // in the file, after any data put in front of the archive
    uint32_t external_attributes = 0;
    std::optional<uint32_t> extended_mtime;  // extended timestamp field, when present
    uint64_t central_offset = 0;             // where its central record starts in the file
    uint32_t central_size = 0;
    uint64_t next_record = 0;  // where the next local record or the directory starts
    const ZipEntry* previous =
        nullptr;           // of the same reader: the last local record before this one's
    std::string overlaps;  // another entry that claims some of the same bytes

    bool encrypted() const;
    bool folder() const;
    bool symlink() const;
    std::optional<uint32_t> unix_mode() const;  // permission and type bits when made on Unix
    // The extended timestamp is unsigned, as other readers take it, unless the DOS date says
    // the file is older than 2038: then it is a time before 1970, stored signed.
    int64_t mtime() const;
    uint32_t os_type() const;
    EntryFacts Facts() const;
};

}  // namespace quorvex6::backend::zip
