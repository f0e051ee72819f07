// Reads a ZIP archive through its central directory (also when data is prepended, as in
// self-extractors) and decodes entries through the codec table, checking every CRC.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "formats/zip/member_decoders.h"
#include "formats/zip/zip_entry.h"
#include "io/random_access.h"
#include "io/stream.h"

namespace quorvex6::backend::zip {

class ZipReader {
  public:
    // Entries in stored (central directory) order. Throws io::Error: kNotArchive when the input
    // holds no ZIP archive, kBrokenHeader when its directory is broken, kRead.
    explicit ZipReader(std::unique_ptr<io::RandomInput> input);

    const std::vector<ZipEntry>& entries() const { return entries_; }
    const std::string& comment() const { return comment_; }

    // Decodes one entry into `sink`, checking its value once all is written. Throws io::Error:
    // kEncrypted, kUnknownMethod, kBrokenHeader for a bad local header or bytes shared with
    // another entry, kBrokenData, kDataChecksum, kRead, kWrite when the sink refused. Safe on
    // several threads at once, one entry each.
    void Extract(const ZipEntry& entry, io::Sink& sink) const;
    // The same with the calling thread's decoders.
    void Extract(const ZipEntry& entry, io::Sink& sink, MemberDecoders& decoders) const;

    // Where an entry's stored bytes start (after its local header). Throws kBrokenHeader for an
    // entry whose bytes are not its own.
    uint64_t DataOffset(const ZipEntry& entry) const;
    // Where its local record ends: after the data, or after the data descriptor that follows
    // it. Throws kBrokenHeader when that descriptor does not match the central record.
    uint64_t RecordEnd(const ZipEntry& entry) const;
    // Its central record as stored.
    std::string CentralRecord(const ZipEntry& entry) const;
    // Its local record as stored (header, data, descriptor), pushed to `sink` byte for byte.
    // Throws kBrokenData when the archive ends inside it, kWrite when the sink refused.
    void CopyRaw(const ZipEntry& entry, io::Sink& sink) const;

  private:
    void ReadDirectory();
    void MarkSharedBytes(uint64_t directory_start);
    std::optional<uint64_t> LocalDataStart(
        const ZipEntry& entry) const;  // nullopt: no local header there
    bool LocalZip64(const ZipEntry& entry) const;

    size_t ReadAt(uint64_t offset, void* data, size_t n) const;

    std::unique_ptr<io::RandomInput> input_;
    uint64_t size_ = 0;
    std::vector<ZipEntry> entries_;
    std::string comment_;
};

}  // namespace quorvex6::backend::zip
