// One entry of an ARJ archive, as its local header describes it.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "formats/arj/arj_format.h"

namespace quorvex6::backend::arj {

struct Entry {
    // UTF-8 when the stored bytes were text in a known encoding; '/' separated; folders end
    // in '/'.
    std::string name;
    std::string comment;
    std::uint8_t method = 0;
    std::uint8_t type = kTypeBinary;
    std::uint8_t host = kHostUnix;
    std::uint8_t flags = 0;
    std::uint64_t packed_size = 0;
    std::uint64_t original_size = 0;
    std::uint32_t crc = 0;
    std::int64_t mtime = 0;  // seconds since 1970, UTC
    std::uint16_t mode = 0;  // UNIX hosts: permission and kind bits; others: DOS attributes
    // Where a piece continued from the last volume starts in its file.
    std::uint64_t resume_position = 0;
    std::uint8_t first_chapter = 0;
    std::uint8_t last_chapter = 0;
    // A UNIX special file's kind (kSpecialSymlink, FIFO, device, ...) and, for a link, its
    // target as stored.
    std::optional<std::uint8_t> special_kind;
    std::optional<std::string> link_target;
    std::uint64_t header_offset = 0;
    std::uint64_t data_offset = 0;

    bool garbled() const { return (flags & kFlagGarbled) != 0; }
    bool folder() const { return type == kTypeFolder; }
    bool unix_host() const { return UnixHost(host); }
    // Entries that hold a file's bytes.
    bool has_data() const { return type == kTypeBinary || type == kTypeText; }
    std::uint64_t next_offset() const { return data_offset + packed_size; }
};

}  // namespace quorvex6::backend::arj
