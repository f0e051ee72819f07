// Reads a ZIP archive through its central directory (also when data is prepended, as in
// self-extractors) and decodes entries through the codec table, checking every CRC.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "codecs/codec.h"
#include "common/file_system.h"
#include "formats/zip/zip_entry.h"

namespace quorvex6::backend::zip {

class ZipReader {
public:
    // Throws Failure: 0x8018 when the file cannot be opened, 0x801B when it is no ZIP archive,
    // 0x8017 when its directory is broken.
    explicit ZipReader(const std::string& path);

    const std::vector<ZipEntry>& entries() const { return entries_; }
    const std::string& comment() const { return comment_; }

    // Decodes one entry into `sink`. Throws Failure: 0x800A encrypted, 0x8009 unknown method,
    // 0x8017 bad local header or bytes shared with another entry, 0x8014 broken data, 0x800C
    // check value mismatch, 0x801A read error; a write failure of the sink is rethrown as the
    // sink threw it.
    void Extract(const ZipEntry& entry, quorvex6::codecs::Sink& sink) const;

    // Where an entry's stored bytes start (after its local header). Throws 0x8017 for an entry
    // whose bytes are not its own.
    uint64_t DataOffset(const ZipEntry& entry) const;
    // Where its local record ends: after the data, or after the data descriptor that follows
    // it. Throws 0x8017 when that descriptor does not match the central record.
    uint64_t RecordEnd(const ZipEntry& entry) const;
    // Its central record as stored.
    std::string CentralRecord(const ZipEntry& entry) const;
    const InputFile& file() const { return file_; }

private:
    struct EndRecord;
    EndRecord FindEnd();
    void ReadDirectory();
    void MarkSharedBytes(uint64_t directory_start);
    std::optional<uint64_t> LocalDataStart(const ZipEntry& entry) const;  // nullopt: no local header there
    bool LocalZip64(const ZipEntry& entry) const;

    InputFile file_;
    uint64_t size_ = 0;
    std::vector<ZipEntry> entries_;
    std::string comment_;
};

}  // namespace quorvex6::backend::zip
