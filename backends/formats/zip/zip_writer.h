// Writes ZIP records: a local header before each entry's data, the central directory and end
// records at Finish. ZIP64 fields appear only where a size, offset or count needs them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "formats/zip/zip_entry.h"
#include "io/random_access.h"
#include "io/stream.h"

namespace quorvex6::backend::zip {

class ZipReader;

struct WriteEntry {
    std::string name;     // UTF-8, or any bytes a POSIX name holds; folders end in '/'
    uint16_t method = 0;  // a writable row of zip_methods.h
    uint16_t flags = 0;   // the UTF-8 flag is added for non-ASCII names
    uint32_t crc = 0;
    uint64_t compressed_size = 0;
    uint64_t original_size = 0;
    int64_t mtime = 0;
    uint32_t unix_mode = 0;  // type and permission bits
    uint32_t dos_attributes = 0;
};

// Writes at the output's position. Faults are io::Error: kNameTooLong, kUnknownMethod, kWrite
// for a record that cannot hold what it must or an output that refuses bytes (an output that
// knows why keeps its reason for the caller).
class ZipWriter {
  public:
    explicit ZipWriter(io::RandomOutput& out) : out_(out) {}

    // The local header of `entry`; 64-bit sizes when `zip64`. Entries encoded elsewhere start
    // with it and are then announced with Placed.
    static std::string LocalHeader(const WriteEntry& entry, bool zip64);
    // An entry whose local record was written at `offset` by someone else.
    void Placed(WriteEntry entry, uint64_t offset) {
        written_.push_back({std::move(entry), offset, {}});
    }

    // Sizes and check value known: header and data in one go.
    void Add(WriteEntry entry, const uint8_t* data, size_t size);

    // Sizes learnt while the data is written: Begin writes the header, the caller writes the
    // data to the file, End patches sizes and check value into the header.
    void Begin(WriteEntry entry);
    void End(uint32_t crc, uint16_t method, uint64_t compressed_size);
    // The data of the entry begun, as it is, from `data` to its end; then End. A read error of
    // `data` is io::Error(kRead), whatever its Source throws passes through.
    void Store(io::Source& data);
    uint64_t data_start() const { return data_start_; }

    // An entry of another archive, byte for byte: its local record (header, data, descriptor)
    // and its central record, in which only the local record's offset changes.
    void CopyRaw(const ZipReader& reader, const ZipEntry& entry);

    // `comment`: the archive comment, at most 65535 bytes.
    void Finish(const std::string& comment = {});

  private:
    struct Written {
        WriteEntry entry;
        uint64_t offset;
        std::string central;  // a copied entry's central record; empty for one written here
    };
    void Put(const void* data, size_t size);

    io::RandomOutput& out_;
    std::vector<Written> written_;
    uint64_t data_start_ = 0;
    bool open_zip64_ = false;
};

}  // namespace quorvex6::backend::zip
