// Reads TAR archives (ustar, pax, GNU and old formats, sparse entries; plain or compressed,
// detected from the content) one entry at a time, in bounded memory. The headers are read
// here; tar_source.h brings the bytes.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "codecs/codec.h"
#include "common/entry_info.h"
#include "formats/tar/tar_parse.h"
#include "formats/tar/tar_source.h"

namespace quorvex6::backend::tar {

enum class EntryKind { kFile, kFolder, kSymlink, kHardLink, kOther };

struct TarEntry {
    EntryFacts facts;
    EntryKind kind = EntryKind::kFile;
    uint32_t mode = 0;        // permission bits
    std::string link_target;  // links
    uint64_t stored_size = 0;  // a file's data in the archive: less than its size when sparse
};

class TarReader {
public:
    // Throws Failure: 0x8018 when the file cannot be opened, 0x801B when it is no TAR archive.
    // `read_ahead` is for a caller that reads every entry's data (see OpenTarBytes).
    explicit TarReader(const std::string& path, bool read_ahead = false);
    TarReader(const TarReader&) = delete;
    TarReader& operator=(const TarReader&) = delete;

    // False at the end. Throws Failure 0x8017 for a broken or truncated header (0x801B when
    // not even the first header can be read).
    bool Next(TarEntry& entry);
    // The current entry's data, a sparse file's holes as the sink's holes; throws 0x8014 when it
    // is cut short or broken. A sink that refuses bytes ends the read with 0x8013 unless the
    // caller knows better.
    void ReadData(quorvex6::codecs::Sink& sink);
    // See ByteSource::ShareIdleTime.
    bool ShareIdleTime(IdleWork* work) { return stream_.ShareIdleTime(work); }

private:
    [[noreturn]] void HeaderError(const std::string& what) const;
    std::string ReadMeta(uint64_t size);
    void ReadSparseMap(uint64_t& stored);
    void Copy(quorvex6::codecs::Sink& sink, uint64_t n);
    void Hole(quorvex6::codecs::Sink& sink, uint64_t n);

    std::string method_;
    TarStream stream_;
    bool first_ = true;
    bool ended_ = false;
    uint64_t data_left_ = 0;  // of the current entry, not yet read
    uint64_t padding_ = 0;    // after the current entry's data
    bool sparse_ = false;
    uint64_t real_size_ = 0;
    std::vector<Piece> pieces_;
};

}  // namespace quorvex6::backend::tar
