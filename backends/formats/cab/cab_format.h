// CAB layouts (CFHEADER, CFFOLDER, CFFILE, CFDATA), their flags and limits, the CFDATA
// checksum and the bid.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "io/random_access.h"

namespace quorvex6::backend::cab {

inline constexpr std::uint8_t kSignature[4] = {'M', 'S', 'C', 'F'};
inline constexpr std::uint8_t kMajorVersion = 1;
inline constexpr std::uint8_t kMinorVersion = 3;

inline constexpr std::size_t kHeaderSize = 36;
inline constexpr std::size_t kReserveSizesSize = 4;  // u16 header, u8 folder, u8 data
inline constexpr std::size_t kFolderSize = 8;
inline constexpr std::size_t kFileSize = 16;
inline constexpr std::size_t kDataSize = 8;
// Where CFHEADER's fields start.
inline constexpr std::size_t kHeaderFieldCabinetSize = 0x08, kHeaderFieldFilesOffset = 0x10,
                             kHeaderFieldMinor = 0x18, kHeaderFieldMajor = 0x19,
                             kHeaderFieldFolders = 0x1A, kHeaderFieldFiles = 0x1C,
                             kHeaderFieldFlags = 0x1E, kHeaderFieldSetId = 0x20,
                             kHeaderFieldIndex = 0x22;

inline constexpr std::uint16_t kFlagPrevious = 0x0001;
inline constexpr std::uint16_t kFlagNext = 0x0002;
inline constexpr std::uint16_t kFlagReserve = 0x0004;

inline constexpr std::uint16_t kAttributeReadOnly = 0x01;
inline constexpr std::uint16_t kAttributeHidden = 0x02;
inline constexpr std::uint16_t kAttributeSystem = 0x04;
inline constexpr std::uint16_t kAttributeArchive = 0x20;
inline constexpr std::uint16_t kAttributeExecute = 0x40;  // "run after extraction": ignored
inline constexpr std::uint16_t kAttributeUtf8 = 0x80;

// iFolder values of a file that lies partly in another cabinet of a set.
inline constexpr std::uint16_t kContinuedFromPrevious = 0xFFFD;
inline constexpr std::uint16_t kContinuedToNext = 0xFFFE;
inline constexpr std::uint16_t kContinuedBoth = 0xFFFF;

// typeCompress: the method in the low nibble, its parameter in bits 4..12.
inline constexpr std::uint16_t kMethodMask = 0x000F;
inline constexpr std::uint16_t kMethodStore = 0, kMethodMszip = 1, kMethodQuantum = 2,
                               kMethodLzx = 3;
inline constexpr unsigned WindowBitsOf(std::uint16_t type) { return (type >> 8) & 0x1F; }
inline constexpr unsigned QuantumLevelOf(std::uint16_t type) { return (type >> 4) & 0x0F; }

inline constexpr std::size_t kMaxBlockData = 32768;
// What Microsoft's LZX encoder may let a block grow to; readers refuse more.
inline constexpr std::size_t kMaxBlockPacked = 32768 + 6144;
inline constexpr std::uint32_t kMaxBlocks = 0xFFFF;
inline constexpr std::uint64_t kMaxFolderData = std::uint64_t{kMaxBlocks} * kMaxBlockData;
inline constexpr std::size_t kMaxName = 255;
inline constexpr std::size_t kMaxFiles = 0xFFFF;  // in one cabinet
// In one cabinet: folder indices from there on mark continued files.
inline constexpr std::size_t kMaxFolders = kContinuedFromPrevious;
inline constexpr std::size_t kMaxCabinets = 0xFFFF;  // in a set
inline constexpr std::size_t kMaxHeaderReserve = 60000;

// A cabinet behind a self-extractor's program is looked for this far into the file.
inline constexpr std::uint64_t kSfxSearchLimit = 4 << 20;

inline constexpr std::string_view kSuffixes[] = {".cab"};

// The CFDATA checksum: the data, then the two size fields as stored, each folded into 32-bit
// little-endian words with the last 1..3 bytes taken in reverse significance.
std::uint32_t Checksum(const std::uint8_t* data, std::size_t size, std::uint32_t seed);
std::uint32_t BlockChecksum(const std::uint8_t* data, std::size_t size, std::uint16_t packed,
                            std::uint16_t unpacked);

// What listings show as the method: "NONE", "MSZIP", "LZX15".."LZX21", "QTM1".."QTM7".
std::string MethodText(std::uint16_t type);

// Where a cabinet starts in `input`: at 0 when the signature is there, else the first
// plausible header after a self-extractor's program.
std::optional<std::uint64_t> Bid(io::RandomInput& input);

}  // namespace quorvex6::backend::cab
