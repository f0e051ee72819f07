// ZIP record layouts (APPNOTE 6.3), as far as we read and write them, their limits, and the
// bid. Methods are listed in zip_methods.h.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "io/byte_order.h"
#include "io/random_access.h"

namespace quorvex6::backend::zip {

inline constexpr uint32_t kLocalSignature = 0x04034b50;
inline constexpr uint32_t kCentralSignature = 0x02014b50;
inline constexpr uint32_t kEndSignature = 0x06054b50;
inline constexpr uint32_t kZip64EndSignature = 0x06064b50;
inline constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
inline constexpr uint32_t kDescriptorSignature = 0x08074b50;

inline constexpr uint16_t kFlagEncrypted = 0x0001;
inline constexpr uint16_t kFlagDataDescriptor = 0x0008;
inline constexpr uint16_t kFlagUtf8 = 0x0800;

inline constexpr uint16_t kExtraZip64 = 0x0001;
inline constexpr uint16_t kExtraTimestamp = 0x5455;
inline constexpr uint16_t kExtraUnicodePath = 0x7075;

inline constexpr uint16_t kMadeByUnix = 3 << 8;
inline constexpr uint16_t kMadeByVersion = 63;
inline constexpr uint16_t kVersionZip64 = 45;

// Systems in the high byte of "version made by": 0, 6, 10 and 14 are FAT, HPFS, NTFS and VFAT;
// Info-ZIP numbers NTFS 11.
inline constexpr uint8_t kHostDos = 0;
inline constexpr uint8_t kHostUnix = 3;
inline constexpr uint8_t kHostHpfs = 6;
inline constexpr uint8_t kHostNtfs = 10;
inline constexpr uint8_t kHostNtfsInfoZip = 11;
inline constexpr uint8_t kHostVfat = 14;

inline constexpr uint32_t kLocalHeaderSize = 30;
inline constexpr uint32_t kCentralHeaderSize = 46;
inline constexpr uint32_t kEndSize = 22;
inline constexpr uint32_t kZip64EndSize = 56;
inline constexpr uint32_t kZip64LocatorSize = 20;
// Where the fields of each record start, counted from its signature.
inline constexpr uint32_t kCentralFieldMadeBy = 4, kCentralFieldVersionNeeded = 6,
                          kCentralFieldFlags = 8, kCentralFieldMethod = 10, kCentralFieldTime = 12,
                          kCentralFieldDate = 14, kCentralFieldCrc = 16,
                          kCentralFieldNameLength = 28, kCentralFieldExtraLength = 30,
                          kCentralFieldCommentLength = 32, kCentralFieldExternal = 38;
inline constexpr uint32_t kCentralOffsetField =
    42;  // the local header's offset in a central record
// The central record's fields a ZIP64 extra field widens, in the order they appear there.
inline constexpr uint32_t kCentralFieldUsize = 24, kCentralFieldCsize = 20;
inline constexpr uint32_t kLocalFieldNameLength = 26, kLocalFieldExtraLength = 28;
inline constexpr uint32_t kEndFieldEntries = 10, kEndFieldDirectorySize = 12,
                          kEndFieldDirectoryOffset = 16, kEndFieldCommentLength = 20;
inline constexpr uint32_t kZip64EndFieldEntries = 32, kZip64EndFieldDirectorySize = 40,
                          kZip64EndFieldDirectoryOffset = 48;
inline constexpr uint32_t kZip64LocatorFieldOffset = 8;  // where the ZIP64 end record is
// The archive comment's field is 16 bits wide: the end record lies in the last
// kEndSize + kMaxComment bytes (FindEnd looks no further back).
inline constexpr uint32_t kMaxComment = 65535;
// A central directory the reader takes whole into memory; a larger one is refused as broken
// (ArchiveStart), whatever the end record claims.
inline constexpr uint64_t kMaxCentralDirectory = 256ull << 20;
// Names are at most k16Max bytes, the width of their field (ZipWriter refuses longer ones);
// sizes, offsets and counts that reach k32Max (k16Max for counts) go into ZIP64 records.

inline constexpr uint32_t k32Max = 0xFFFFFFFFu;
inline constexpr uint16_t k16Max = 0xFFFFu;

inline constexpr uint32_t kDosFolder = 0x10;
inline constexpr uint32_t kDosReadOnly = 0x01;
inline constexpr uint32_t kDosHidden = 0x02;
inline constexpr uint32_t kDosSystem = 0x04;
inline constexpr uint32_t kDosArchive = 0x20;

inline constexpr uint32_t kUnixTypeMask = 0170000;
inline constexpr uint32_t kUnixFile = 0100000;
inline constexpr uint32_t kUnixFolder = 0040000;
inline constexpr uint32_t kUnixLink = 0120000;

inline constexpr std::string_view kSuffixes[] = {".zip"};

// What a file's first bytes alone can tell: a ZIP archive starts with its first entry, or, when
// empty, with its end record. Self-extractors and damaged archives need Bid.
inline bool StartsArchive(std::span<const uint8_t> head) {
    if (head.size() < 4) return false;
    const uint32_t signature = io::Le32(head.data());
    return signature == kLocalSignature || signature == kEndSignature;
}

// Whether `input` holds a ZIP archive, judged by its end records, and where it starts: 0, or
// past a self-extractor's program or other data put in front of it. nullopt: not ZIP.
std::optional<uint64_t> Bid(io::RandomInput& input);

}  // namespace quorvex6::backend::zip
