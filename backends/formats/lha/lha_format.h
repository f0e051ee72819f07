// LHA layouts and limits, as far as we read and write them, and the bid: whether bytes hold an
// LHA archive and where it starts. Each limit names the place that enforces it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "io/byte_order.h"
#include "io/random_access.h"

namespace quorvex6::backend::lha {

// Fields every header level shares, at their offsets from the header's first byte.
inline constexpr std::size_t kSizeField = 0;      // level 0/1: one byte, the size less 2
inline constexpr std::size_t kChecksumField = 1;  // level 0/1: byte sum of the rest
inline constexpr std::size_t kMethodField = 2;    // "-lh5-"
inline constexpr std::size_t kMethodSize = 5;
inline constexpr std::size_t kPackedSizeField = 7;
inline constexpr std::size_t kOriginalSizeField = 11;
inline constexpr std::size_t kTimeField = 15;  // level 0/1: DOS time then date; 2/3: Unix time
inline constexpr std::size_t kAttributeField = 19;
inline constexpr std::size_t kLevelField = 20;
inline constexpr std::size_t kNameLengthField = 21;  // level 0/1; the name follows
inline constexpr std::size_t kDataCrcField = 21;     // level 2/3
inline constexpr std::size_t kOsField = 23;          // level 2/3
inline constexpr int kHighestLevel = 3;

// The bytes each level's base header holds before anything of variable length.
inline constexpr std::size_t kLevel01Base = 22;      // then the name, the data CRC (2), ...
inline constexpr std::size_t kLevel2Base = 26;       // ends in the first extended size (16 bits)
inline constexpr std::size_t kLevel3Base = 32;       // ends in the first extended size (32 bits)
inline constexpr std::size_t kLevel3SizeField = 24;  // the header's size, 32 bits
inline constexpr std::uint16_t kLevel3WordSize = 4;  // where level 3 puts a size, "4"

// What every level's size and packed size fields need: the damaged-header search reads this
// much at each offset (header_reader.cpp).
inline constexpr std::size_t kLeadBytes = 26;

// Largest header accepted (header_reader.cpp): level 2 cannot exceed 64 KiB, and level 3
// archives in the wild stay far below this. Also the bound on a level 1 header's extended headers.
inline constexpr std::uint32_t kMaxHeaderSize = 1 << 20;
// A level 2 header's size is 16 bits wide: header_writer.cpp refuses a longer one.
inline constexpr std::size_t kMaxLevel2Header = 0xffff;
// A level 0/1 name's length is one byte.
inline constexpr std::size_t kMaxLevel01Name = 0xff;

// Extended header types.
inline constexpr std::uint8_t kExtHeaderCrc = 0x00;
inline constexpr std::uint8_t kExtFileName = 0x01;
inline constexpr std::uint8_t kExtFolderName = 0x02;
inline constexpr std::uint8_t kExtAttributes = 0x40;
inline constexpr std::uint8_t kExtWindowsTimes = 0x41;
inline constexpr std::uint8_t kExtWideSizes = 0x42;
inline constexpr std::uint8_t kExtCodePage = 0x46;
inline constexpr std::uint8_t kExtUnixMode = 0x50;
inline constexpr std::uint8_t kExtUnixOwner = 0x51;
inline constexpr std::uint8_t kExtUnixTime = 0x54;

// Base header sizes are 32 bits wide. A member of 4 GiB and more carries both sizes in
// kExtWideSizes; each base size that fits is the real one beside it, one that does not is
// k32Max (header_writer.cpp). The writer reserves the wide fields for a file this large before
// its data is known (member_io.cpp), since it may grow while read.
inline constexpr std::uint64_t k32Max = 0xffffffffu;
inline constexpr std::uint64_t kWideSizesFrom = 0xf0000000u;

// The byte that ends an archive where a header's size would be.
inline constexpr std::uint8_t kEndMarker = 0;
// The folder separator of folder headers and of level 0/1 paths (names.cpp).
inline constexpr char kFolderSeparator = '\xFF';
// A link is a -lhd- member named "name|target" (header_reader.cpp, names.cpp).
inline constexpr char kLinkBar = '|';

inline constexpr std::uint32_t kCodePageShiftJis = 932;
inline constexpr std::uint32_t kCodePageUtf8 = 65001;

inline constexpr std::uint16_t kUnixKindMask = 0170000;
inline constexpr std::uint16_t kUnixFile = 0100000;
inline constexpr std::uint16_t kUnixFolder = 0040000;
inline constexpr std::uint16_t kUnixLink = 0120000;

inline constexpr std::uint8_t kDosReadOnly = 0x01;
inline constexpr std::uint8_t kDosHidden = 0x02;
inline constexpr std::uint8_t kDosSystem = 0x04;
inline constexpr std::uint8_t kDosFolder = 0x10;
inline constexpr std::uint8_t kDosArchive = 0x20;

// No LH method makes more than this many bytes of one packed byte (a block of 65535 longest
// matches from single-code tables packs into 52 bits): member_io.cpp refuses a header that
// declares more.
inline constexpr std::uint64_t kMaxExpansion = std::uint64_t{1} << 22;

// Self-extractors put the archive behind a program; this much of one is searched for it
// (lha_reader.cpp), unless the caller asks for the whole file.
inline constexpr std::uint64_t kSfxSearchLimit = 1 << 20;

inline constexpr std::string_view kSuffixes[] = {".lzh", ".lha"};

// "-lh5-", "-lzs-", ...: what every method field looks like.
inline bool MethodLike(const std::uint8_t* method) { return method[0] == '-' && method[4] == '-'; }
// The LH and LZ families; other archivers share the header with methods of their own.
inline bool LhaMethod(const std::uint8_t* method) {
    return MethodLike(method) && method[1] == 'l' && (method[2] == 'h' || method[2] == 'z');
}

// Whether the kLevel01Base bytes at `h` can start a member header of some level: "-??-" as the
// method, and a size that fits the level. Only a parse tells for sure.
inline bool LooksLikeHeader(const std::uint8_t* h) {
    if (!MethodLike(h + kMethodField) || h[kLevelField] > kHighestLevel) return false;
    if (h[kLevelField] == 3) return io::Le16(h) == kLevel3WordSize;
    if (h[kLevelField] == 2) return io::Le16(h) >= kLevel2Base;
    return h[kSizeField] >= kLevel01Base + h[kNameLengthField] - 2;
}

// Where the first member header is among the first `limit` bytes of `in` (a candidate's header
// may run past them): at 0, or after a self-extractor's program. A lone end marker is an
// archive too, one whose members were all deleted.
std::optional<std::uint64_t> FindArchiveStart(io::RandomInput& in, std::uint64_t limit);

// The same over the head of a file: whether it starts an LHA archive, and at which offset.
std::optional<std::uint64_t> Bid(std::span<const std::uint8_t> head);

}  // namespace quorvex6::backend::lha
