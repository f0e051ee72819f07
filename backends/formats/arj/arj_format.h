// ARJ layouts and limits, as far as we read them, and the bid: whether bytes hold an ARJ
// archive and where it starts (after a self-extractor's program, if any).
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "io/random_access.h"

namespace quorvex6::backend::arj {

// Every header: the mark, the basic header's size (0 ends the archive), the basic header, its
// CRC-32, then extended headers, each a size (0 ends them), its bytes and their CRC-32.
inline constexpr std::uint8_t kMark[] = {0x60, 0xEA};
inline constexpr std::size_t kLeadSize = 4;  // mark and basic size
inline constexpr std::size_t kCrcSize = 4;

// Offsets inside the basic header.
inline constexpr std::size_t kFirstSizeField = 0;  // the fixed part's size; the name follows
inline constexpr std::size_t kVersionField = 1;
inline constexpr std::size_t kNeededVersionField = 2;
inline constexpr std::size_t kHostField = 3;
inline constexpr std::size_t kFlagsField = 4;
inline constexpr std::size_t kMethodField = 5;
inline constexpr std::size_t kTypeField = 6;
inline constexpr std::size_t kPasswordModifierField = 7;
inline constexpr std::size_t kTimeField = 8;
inline constexpr std::size_t kPackedSizeField = 12;
inline constexpr std::size_t kOriginalSizeField = 16;
inline constexpr std::size_t kDataCrcField = 20;
inline constexpr std::size_t kNamePositionField = 24;
inline constexpr std::size_t kModeField = 26;
inline constexpr std::size_t kFirstChapterField = 28;
inline constexpr std::size_t kLastChapterField = 29;
inline constexpr std::size_t kCurrentChapterField = 29;  // in the main header
inline constexpr std::size_t kResumePositionField = 30;  // when the fixed part holds it

// The fixed part of the oldest headers; later versions add fields up to the first size,
// which readers skip when they do not know them.
inline constexpr std::size_t kMinFirstSize = 30;
// The UNIX build's bound on a basic header (fixed part, name and comment): DOS ARJ stays
// below 2600 bytes (header_reader.cpp refuses more).
inline constexpr std::uint16_t kMaxBasicSize = 30 + 10 + 4096 + 2048;
// Extended headers of one entry, together (header_reader.cpp).
inline constexpr std::uint32_t kMaxExtendedBytes = 1 << 20;

// Flags.
inline constexpr std::uint8_t kFlagGarbled = 0x01;
inline constexpr std::uint8_t kFlagVolume = 0x04;     // continues in the next volume
inline constexpr std::uint8_t kFlagContinued = 0x08;  // an entry: continued from the last one
inline constexpr std::uint8_t kFlagPathSymbols = 0x10;

// Hosts whose headers hold UNIX times and modes; every other one writes DOS times and
// attributes.
inline constexpr std::uint8_t kHostDos = 0;
inline constexpr std::uint8_t kHostUnix = 2;
inline constexpr std::uint8_t kHostNext = 8;
inline constexpr bool UnixHost(std::uint8_t host) { return host == kHostUnix || host == kHostNext; }

// File types.
inline constexpr std::uint8_t kTypeBinary = 0;
inline constexpr std::uint8_t kTypeText = 1;
inline constexpr std::uint8_t kTypeMainHeader = 2;
inline constexpr std::uint8_t kTypeFolder = 3;
inline constexpr std::uint8_t kTypeVolumeLabel = 4;
inline constexpr std::uint8_t kTypeChapterLabel = 5;
inline constexpr std::uint8_t kTypeUnixSpecial = 6;

inline constexpr std::uint8_t kHighestMethod = 4;

// A UNIX special file's extended header: tag 'U', then one byte of kind (high 3 bits) and
// length (low 5), a length of 31 saying that a 16-bit length follows; then that many bytes (a
// link's target, a device's number).
inline constexpr std::uint8_t kTagUnixSpecial = 'U';
inline constexpr int kSpecialKindShift = 5;
inline constexpr std::uint8_t kSpecialShortLengthMask = 0x1F;
inline constexpr std::uint8_t kSpecialLongLength = 0x1F;
inline constexpr std::uint8_t kSpecialSymlink = 2;

// DOS attributes, as hosts other than UNIX ones store them.
inline constexpr std::uint8_t kDosReadOnly = 0x01;
inline constexpr std::uint8_t kDosHidden = 0x02;
inline constexpr std::uint8_t kDosSystem = 0x04;
inline constexpr std::uint8_t kDosArchive = 0x20;

// Self-extractors put the archive behind a program; this much of one is searched for it.
inline constexpr std::uint64_t kSfxSearchLimit = 1 << 20;

inline constexpr std::string_view kSuffixes[] = {".arj"};

// Where the main header is among the first `limit` bytes of `in`: at 0, or after a
// self-extractor's program. Only a mark whose header's CRC holds counts.
std::optional<std::uint64_t> FindArchiveStart(io::RandomInput& in, std::uint64_t limit);

// The same over the head of a file.
std::optional<std::uint64_t> Bid(std::span<const std::uint8_t> head);

}  // namespace quorvex6::backend::arj
