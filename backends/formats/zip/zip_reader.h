// Reads a ZIP archive through its central directory (also when data is prepended, as in
// self-extractors) and decodes entries through the codec table, checking every CRC.
#pragma once
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

    // Decodes one entry into `sink`. Throws Failure: 0x800A encrypted, 0x8009 unknown method,
    // 0x8017 bad local header, 0x8014 broken data, 0x800C check value mismatch, 0x801A read
    // error; a write failure of the sink is rethrown as the sink threw it.
    void Extract(const ZipEntry& entry, quorvex6::codecs::Sink& sink) const;

    // Where an entry's stored bytes start (after its local header), for copying them unchanged.
    uint64_t DataOffset(const ZipEntry& entry) const;
    const InputFile& file() const { return file_; }

private:
    void ReadDirectory();

    InputFile file_;
    uint64_t size_ = 0;
    std::vector<ZipEntry> entries_;
};

}  // namespace quorvex6::backend::zip
