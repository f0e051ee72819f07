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
#include "io/random_access.h"

namespace quorvex6::backend::tar {

enum class EntryKind { kFile, kFolder, kSymlink, kHardLink, kOther };

struct TarEntry {
    EntryFacts facts;
    EntryKind kind = EntryKind::kFile;
    uint32_t mode = 0;         // permission bits
    std::string link_target;   // links
    uint64_t stored_size = 0;  // a file's data in the archive: less than its size when sparse
};

class TarReader {
  public:
    // Throws io::Error kNotArchive when `input` holds no TAR archive.
    explicit TarReader(std::unique_ptr<io::RandomInput> input);
    TarReader(const TarReader&) = delete;
    TarReader& operator=(const TarReader&) = delete;

    // False at the end. Throws io::Error kBrokenHeader for a broken or truncated header
    // (kNotArchive when not even the first header can be read), kBrokenData when a compressed
    // stream fails its check after the end blocks.
    bool Next(TarEntry& entry);
    // The current entry's data, a sparse file's holes as the sink's holes; throws kBrokenData
    // when it is cut short or broken, kWrite when the sink refuses bytes (a sink that knows
    // why keeps its reason for the caller).
    void ReadData(quorvex6::backend::codecs::Sink& sink);
    // The current entry's data as a Source, a sparse file's holes as zeros; valid until Next.
    // Its read throws io::Error kBrokenData when the data is cut short or broken.
    std::unique_ptr<io::Source> OpenData();
    // See ByteSource::ShareIdleTime.
    bool ShareIdleTime(IdleWork* work) { return stream_.ShareIdleTime(work); }

  private:
    class Data;
    [[noreturn]] void HeaderError(const std::string& what);
    std::string ReadMeta(uint64_t size);
    void ReadSparseMap(uint64_t& stored);
    void Copy(quorvex6::backend::codecs::Sink& sink, uint64_t n);
    size_t ReadSome(uint8_t* data, size_t n);
    void Hole(quorvex6::backend::codecs::Sink& sink, uint64_t n);

    std::unique_ptr<io::RandomInput> input_;  // read by stream_, so made before and gone after it
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
