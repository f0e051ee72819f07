// Writes an ARJ archive at an output's position: the main header, entries packed from their
// data (method 1, or stored where that does not pay) or copied raw from the archive being
// replaced, then the end marker.
#pragma once
#include <cstdint>

#include "formats/arj/entry.h"
#include "formats/arj/header_writer.h"
#include "io/random_access.h"

namespace quorvex6::backend::arj {

inline constexpr std::uint8_t kMethodStored = 0;
inline constexpr std::uint8_t kMethodPacked = 1;  // the only compressing method written here

// Writes the header and data of `entry` (name, host, type, time, mode, a link's target filled
// in; only files have data) at out.position() and fills in method, sizes and CRC. `method` is
// kMethodStored or kMethodPacked; an empty file, or one that compression does not make
// smaller, is stored, its data read again from the start. Throws io::Error: kNameTooLong,
// kBrokenHeader for a file of 4 GiB or more, kRead, kWrite.
void PackEntry(io::RandomOutput& out, Entry& entry, io::RandomInput* data, std::uint8_t method);

// The entry's headers and data exactly as they are in `archive`, at out.position(). Throws
// kRead, kBrokenData when the archive ends first, kWrite.
void CopyEntry(io::RandomInput& archive, const Entry& entry, io::RandomOutput& out);

// Throws kWrite.
void WriteMainHeader(io::RandomOutput& out, const ArchiveFacts& facts);
void WriteEnd(io::RandomOutput& out);

}  // namespace quorvex6::backend::arj
