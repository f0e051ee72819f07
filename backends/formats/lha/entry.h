// One member of an LHA archive, as its header describes it.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace quorvex6::backend::lha {

struct Entry {
    // UTF-8 when it was text in a known encoding, else the stored bytes; '/' separated; folders
    // end in '/'
    std::string name;
    std::string method;  // "lh5" for "-lh5-"
    std::uint64_t packed_size = 0;
    std::uint64_t original_size = 0;
    std::int64_t mtime = 0;  // seconds since 1970, UTC
    std::uint16_t crc = 0;
    std::uint8_t dos_attributes = 0x20;
    int level = 0;
    char os_id = 0;                          // 'M' MS-DOS, 'U' Unix, 'W' Windows NT, ...
    std::optional<std::uint16_t> unix_mode;  // permission bits; the kind is folder or link_target
    std::uint16_t uid = 0;
    std::uint16_t gid = 0;
    std::uint64_t header_offset = 0;
    std::uint64_t data_offset = 0;
    bool folder = false;
    // A symbolic link, stored as a -lhd- member named "name|target" with the link's mode.
    std::optional<std::string> link_target;
    bool utf8_name = false;  // the stored name was UTF-8 rather than a legacy code page

    std::uint64_t next_offset() const { return data_offset + packed_size; }
    bool has_data() const { return !folder && !link_target; }
};

}  // namespace quorvex6::backend::lha
