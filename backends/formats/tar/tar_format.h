// The TAR layout, once: the 512-byte header block and its fields (ustar, with the old GNU sparse
// fields), the type flags, the magic, and the limits the reader enforces; and the bid.
#pragma once
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "io/random_access.h"

namespace quorvex6::backend::tar {

// Everything in an archive comes in blocks: headers, and data padded to the next one.
inline constexpr size_t kBlock = 512;
using Block = std::array<uint8_t, kBlock>;
using BlockView = std::span<const uint8_t, kBlock>;

// Plain and gzip archives we write are padded to whole records, as tar programs write them.
inline constexpr size_t kRecord = 10240;

// Bytes of padding after `size` bytes of data, to the next block.
inline size_t PaddingAfter(uint64_t size) {
    return static_cast<size_t>((kBlock - size % kBlock) % kBlock);
}

struct Field {
    size_t offset, length;
};

// ustar (POSIX.1-1988); the old formats have the same fields up to kLink.
inline constexpr Field kName{0, 100}, kMode{100, 8}, kUid{108, 8}, kGid{116, 8}, kSize{124, 12},
    kMtime{136, 12}, kChecksum{148, 8}, kType{156, 1}, kLink{157, 100}, kMagic{257, 6},
    kVersion{263, 2}, kDevMajor{329, 8}, kDevMinor{337, 8}, kPrefix{345, 155};

// Old GNU sparse entries ('S') keep four map pieces (offset and size, 12 bytes each) in the
// header, a flag for extension blocks and the file's whole size; an extension block holds 21
// more pieces and its own flag.
inline constexpr Field kGnuSparseMap{386, 4 * 24}, kGnuIsExtended{482, 1}, kGnuRealSize{483, 12};
inline constexpr size_t kGnuPieceBytes = 24;
inline constexpr size_t kGnuHeaderPieces = 4;
inline constexpr size_t kGnuExtensionPieces = 21;
inline constexpr Field kGnuExtensionIsExtended{504, 1};

// "ustar\0" "00" is POSIX; old GNU tar writes "ustar " " \0", and its prefix field means
// something else.
inline constexpr std::string_view kUstarMagic{"ustar\0", 6};
inline constexpr std::string_view kUstarVersion{"00", 2};
inline constexpr std::string_view kGnuMagic{"ustar  \0", 8};

namespace typeflag {
inline constexpr char kRegular = '0', kRegularOld = '\0', kHardLink = '1', kSymlink = '2',
                      kFolder = '5', kContiguous = '7';
inline constexpr char kPax = 'x', kPaxGlobal = 'g';  // pax extended headers
// GNU: long name and long link entries, a folder with a listing, old sparse files.
inline constexpr char kGnuLongName = 'L', kGnuLongLink = 'K', kGnuDumpDir = 'D', kGnuSparse = 'S';
}  // namespace typeflag

// What 11 octal digits hold (8 GiB - 1): the size and time fields we write; pax beyond.
inline constexpr uint64_t kMaxOctal11 = 077777777777;
// Map pieces of one sparse entry, and the data of a pax or long-name entry, that the reader takes.
inline constexpr size_t kMaxSparsePieces = 1 << 16;
inline constexpr size_t kMaxMetaBytes = 1 << 20;

// What the first bytes of a plain archive show without a parse: the ustar magic, which POSIX
// and GNU headers share. Old-format archives need Bid.
inline bool StartsArchive(std::span<const uint8_t> head) {
    const std::string_view shared = kUstarMagic.substr(0, 5);
    return head.size() >= kMagic.offset + shared.size() &&
           std::equal(shared.begin(), shared.end(), head.begin() + kMagic.offset);
}

// Whether `head` starts a TAR archive: a header block whose checksum holds (ustar, GNU or the
// old format). The offset is always 0: no stub precedes a TAR archive.
std::optional<uint64_t> Bid(std::span<const uint8_t> head);
// The same for a whole file, whose first block may also be compressed (gzip, bzip2, xz, zstd,
// compress): then the decoded stream must start with a header.
std::optional<uint64_t> Bid(io::RandomInput& input);

}  // namespace quorvex6::backend::tar
