// RAR layouts and limits, as far as we read them: the RAR 1.5-4.x block format (blocks 0x72 ..
// 0x7B, each with a 16-bit header check) and RAR 5.0 (vint fields, CRC-32 headers), host
// systems, and the bid: where an archive starts, after a self-extractor's program if any.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "io/random_access.h"

namespace quorvex6::backend::rar {

enum class Generation { kRar4, kRar5 };

inline constexpr std::uint8_t kSignature4[] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
inline constexpr std::uint8_t kSignature5[] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x01, 0x00};

// --- RAR 1.5 - 4.x ---------------------------------------------------------------------------

// Every block: CRC (low 16 bits of the CRC-32 of the rest of the header), type, flags, size;
// with kFlagLongBlock a 32-bit count of data bytes after the header follows.
inline constexpr std::size_t kBlockBaseSize = 7;
inline constexpr std::uint16_t kFlagLongBlock = 0x8000;

inline constexpr std::uint8_t kBlockMarker = 0x72;
inline constexpr std::uint8_t kBlockMain = 0x73;
inline constexpr std::uint8_t kBlockFile = 0x74;
inline constexpr std::uint8_t kBlockOldComment = 0x75;
inline constexpr std::uint8_t kBlockNewSub = 0x7A;
inline constexpr std::uint8_t kBlockEnd = 0x7B;

// Main header: the base, then 6 reserved bytes (and an encryption version with kMainEncryptVer).
inline constexpr std::size_t kMainHeaderSize = 13;
inline constexpr std::uint16_t kMainVolume = 0x0001;
inline constexpr std::uint16_t kMainComment = 0x0002;  // RAR 1.5-2.x: a comment block inside
inline constexpr std::uint16_t kMainLocked = 0x0004;
inline constexpr std::uint16_t kMainSolid = 0x0008;
inline constexpr std::uint16_t kMainNewNumbering = 0x0010;  // volumes named name.partN.rar
inline constexpr std::uint16_t kMainPassword = 0x0080;      // every later header is encrypted
inline constexpr std::uint16_t kMainFirstVolume = 0x0100;

// File and NEWSUB headers share this layout.
inline constexpr std::size_t kFileFixedSize = 32;  // base and fields up to the attributes
inline constexpr std::size_t kFileFieldPackSize = 7, kFileFieldUnpSize = 11, kFileFieldHost = 15,
                             kFileFieldCrc = 16, kFileFieldTime = 20, kFileFieldVersion = 24,
                             kFileFieldMethod = 25, kFileFieldNameSize = 26,
                             kFileFieldAttributes = 28;
inline constexpr std::uint16_t kFileSplitBefore = 0x0001;
inline constexpr std::uint16_t kFileSplitAfter = 0x0002;
inline constexpr std::uint16_t kFileEncrypted = 0x0004;
inline constexpr std::uint16_t kFileComment = 0x0008;  // RAR 1.5-2.x: a comment block inside
inline constexpr std::uint16_t kFileSolid = 0x0010;
inline constexpr std::uint16_t kFileDictionaryMask = 0x00E0;
inline constexpr std::uint16_t kFileDirectory = 0x00E0;
inline constexpr int kFileDictionaryShift = 5;
inline constexpr std::uint16_t kFileLarge = 0x0100;  // 32 more bits of both sizes follow
inline constexpr std::uint16_t kFileUnicode = 0x0200;
inline constexpr std::uint16_t kFileSalt = 0x0400;
inline constexpr std::size_t kSaltSize = 8;
inline constexpr std::uint16_t kFileExtTime = 0x1000;
inline constexpr std::uint8_t kMethodBase = 0x30;  // '0' stored .. '5' best

// The old comment block: base, unpacked size (2), version (1), method (1), CRC (2), data.
inline constexpr std::size_t kOldCommentFixedSize = 13;

inline constexpr std::uint16_t kEndNextVolume = 0x0001;
inline constexpr std::uint16_t kEndDataCrc = 0x0002;
inline constexpr std::uint16_t kEndVolumeNumber = 0x0008;

// Hosts of RAR 1.5-4.x; only UNIX stores a mode, the others DOS attributes.
inline constexpr std::uint8_t kHost4Dos = 0, kHost4Os2 = 1, kHost4Windows = 2, kHost4Unix = 3,
                              kHost4Mac = 4, kHost4Beos = 5;

// --- RAR 5.0 ----------------------------------------------------------------------------------

// Header size is a vint of at most 3 bytes: no header is larger than 2 MiB.
inline constexpr std::size_t kMaxHeaderSizeBytes = 3;
inline constexpr std::uint64_t kMaxHeaderSize = 2 * 1024 * 1024;
inline constexpr std::size_t kMaxVintBytes = 10;

inline constexpr std::uint64_t kHeaderMain = 1, kHeaderFile = 2, kHeaderService = 3,
                               kHeaderEncryption = 4, kHeaderEnd = 5;
inline constexpr std::uint64_t kHeaderHasExtra = 0x01;
inline constexpr std::uint64_t kHeaderHasData = 0x02;
inline constexpr std::uint64_t kHeaderSplitBefore = 0x08;
inline constexpr std::uint64_t kHeaderSplitAfter = 0x10;

inline constexpr std::uint64_t kArchiveVolume = 0x01;
inline constexpr std::uint64_t kArchiveVolumeNumber = 0x02;  // every volume but the first
inline constexpr std::uint64_t kArchiveSolid = 0x04;
inline constexpr std::uint64_t kArchiveLocked = 0x10;

inline constexpr std::uint64_t kFile5Directory = 0x01;
inline constexpr std::uint64_t kFile5UnixTime = 0x02;
inline constexpr std::uint64_t kFile5Crc = 0x04;
inline constexpr std::uint64_t kFile5UnknownSize = 0x08;

// Compression information: version in bits 0-5, solid bit 6, method bits 7-9, dictionary from
// bit 10 (version 0: 4 bits of exponent; version 1: 5 bits of exponent, 5 of fraction).
inline constexpr std::uint64_t kCompVersionMask = 0x3F;
inline constexpr std::uint64_t kCompSolid = 0x40;
inline constexpr int kCompMethodShift = 7;
inline constexpr int kCompDictionaryShift = 10;
inline constexpr int kCompFractionShift = 15;
inline constexpr std::uint64_t kMinDictionary = 128 * 1024;

inline constexpr std::uint64_t kExtraEncryption = 1, kExtraHash = 2, kExtraTime = 3,
                               kExtraVersion = 4, kExtraRedirection = 5, kExtraOwner = 6;
inline constexpr std::uint64_t kHashBlake2sp = 0;
inline constexpr std::uint64_t kTimeUnix = 0x01, kTimeMtime = 0x02, kTimeCtime = 0x04,
                               kTimeAtime = 0x08, kTimeNanoseconds = 0x10;
inline constexpr std::uint64_t kOwnerUserName = 0x01, kOwnerGroupName = 0x02, kOwnerUid = 0x04,
                               kOwnerGid = 0x08;
inline constexpr std::uint64_t kEndMoreVolumes = 0x01;

inline constexpr std::uint64_t kHost5Windows = 0, kHost5Unix = 1;

// --- Shared -----------------------------------------------------------------------------------

// DOS and Windows attributes.
inline constexpr std::uint32_t kAttrReadOnly = 0x01, kAttrHidden = 0x02, kAttrSystem = 0x04,
                               kAttrDirectory = 0x10, kAttrArchive = 0x20;
// UNIX mode kinds.
inline constexpr std::uint32_t kModeKindMask = 0170000, kModeDirectory = 0040000,
                               kModeSymlink = 0120000, kModeRegular = 0100000;

inline constexpr std::uint8_t kHighestMethod = 5;
// Names and link targets longer than this are damage, not names.
inline constexpr std::size_t kMaxNameSize = 64 * 1024;
// A comment kept for the listing; longer ones are skipped.
inline constexpr std::uint64_t kMaxCommentSize = 256 * 1024;

// Self-extractors put the archive behind a program; this much of one is searched for it.
inline constexpr std::uint64_t kSfxSearchLimit = 1 << 20;

inline constexpr std::string_view kSuffixes[] = {".rar", ".exe", ".sfx"};

struct ArchiveStart {
    std::uint64_t offset = 0;  // of the signature
    Generation generation = Generation::kRar4;
};

// The first signature among the first `limit` bytes of `in`, RAR 5.0's or the older one.
std::optional<ArchiveStart> FindArchiveStart(io::RandomInput& in, std::uint64_t limit);

// The same over the head of a file.
std::optional<std::uint64_t> Bid(std::span<const std::uint8_t> head);

}  // namespace quorvex6::backend::rar
