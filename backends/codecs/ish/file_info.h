// What ISH records about one file: the header record (line number 0, written three times) and
// the name in the text's first line.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "codecs/ish/variant.h"

namespace quorvex6::backend::codecs::ish {

// What a volume of a multi-volume set adds to its header; all zero for a whole file.
struct VolumeFields {
    std::uint16_t whole_crc16 = 0;   // ~CRC-16 of the whole file
    std::uint32_t whole_crc32 = 0;   // CRC-32 (zlib) of the whole file
    std::uint32_t volume_bytes = 0;  // bytes per volume; the last volume holds the rest
    std::uint16_t volume_crc16 = 0;  // ~CRC-16 of this volume's bytes

    friend bool operator==(const VolumeFields&, const VolumeFields&) = default;
};

// Operating-system codes of header byte 24.
inline constexpr std::uint8_t kOsMsDos = 0x00;
inline constexpr std::uint8_t kOsUnix = 0x30;

struct FileInfo {
    // The file's own name as the first line gives it ("" when the decoder found no first line).
    std::string name;
    // The 8.3 name of the header as "BASE.EXT" (case kept). The encoder fills the header's
    // field from it, or from `name` when it is empty.
    std::string short_name;
    // The whole file's size, for a volume of a set too.
    std::uint32_t size = 0;
    // DOS time in the low 16 bits, DOS date in the high 16, in the writer's local time.
    std::uint32_t dos_time = 0;
    std::int32_t zone_west = 0;  // seconds west of UTC, 24 bits
    std::uint8_t os = kOsUnix;
    // The variant the header names; the decoder reads data lines of any variant.
    Variant variant = Variant::kJis7;
    // 1, 2, ... for a volume of a multi-volume set, 0 for a whole file.
    std::uint8_t volume = 0;
    VolumeFields set;
};

// A header record, as long as the longer (JIS8) header line holds.
using HeaderRecord = std::array<std::uint8_t, 69>;

// The header record of `info` for its variant, sealed with its CRC; its length is that of the
// variant's header lines (63 or 69).
HeaderRecord MakeHeader(const FileInfo& info);

// The fields of a sealed header record of `length` bytes; nullopt when it names no variant.
// `name` stays empty.
std::optional<FileInfo> ParseHeader(const std::uint8_t* record, std::size_t length);

// How many volumes a set of `info.size` bytes in volumes of `info.set.volume_bytes` has, and
// how many bytes volume `info.volume` holds; nullopt when the fields allow no such volume.
std::optional<std::uint32_t> VolumeCount(const FileInfo& info);
std::optional<std::uint32_t> VolumeLength(const FileInfo& info);

// The 11-byte name field as the format fills it from a name: characters are copied, a dot pads
// with blanks to position 8 and is skipped, and the field ends after 11 characters (a long
// name keeps its first 11 characters, dots aside).
std::array<char, 11> NameField(std::string_view name);

// "BASE.EXT" from a name field: up to 8 characters before a blank, then the extension.
std::string ShortNameOf(const std::array<char, 11>& field);

}  // namespace quorvex6::backend::codecs::ish
