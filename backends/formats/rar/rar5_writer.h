// Writes a RAR 5.0 archive of stored entries at an output's position: the signature and main
// header, entries (files with their CRC-32, folders, UNIX symlinks as redirection records, a
// UNIX mode and the modification time to the nanosecond) or entries copied raw from the
// archive being replaced, then the end header.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "formats/rar/entry.h"
#include "io/random_access.h"

namespace quorvex6::backend::rar {

struct NewEntry {
    enum class Kind { kFile, kFolder, kSymlink };
    Kind kind = Kind::kFile;
    std::string name;        // UTF-8, '/' separated, no trailing '/'
    std::uint32_t mode = 0;  // st_mode with its kind bits
    Time mtime;
    std::string link_target;
};

// Throws io::Error: kWrite.
void WriteRar5Start(io::RandomOutput& out);
void WriteRar5End(io::RandomOutput& out);

// Writes the entry's header and, for a file, `data`'s bytes stored, the header written once
// with their CRC-32; `scratch` is a buffer kept from entry to entry. Throws kNameTooLong, kRead
// (also when the file shrank while read), kWrite.
void StoreRar5Entry(io::RandomOutput& out, const NewEntry& entry, io::RandomInput* data,
                    std::vector<std::uint8_t>& scratch);

// A RAR 5.0 entry's header and data exactly as they are in `archive`. Throws kRead,
// kBrokenData when the archive ends first, kWrite.
void CopyRar5Entry(io::RandomInput& archive, const Entry& entry, io::RandomOutput& out);

}  // namespace quorvex6::backend::rar
