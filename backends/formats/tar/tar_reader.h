// Reads TAR archives (ustar, pax, GNU; plain or compressed, detected from the content) through
// libarchive, one entry at a time, in bounded memory. gzip is decoded by our codec on a second
// thread while libarchive and the caller work on the first.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "codecs/codec.h"
#include "common/entry_info.h"

struct archive;

namespace quorvex6::backend::tar {

enum class EntryKind { kFile, kFolder, kSymlink, kHardLink, kOther };

struct TarEntry {
    EntryFacts facts;
    EntryKind kind = EntryKind::kFile;
    uint32_t mode = 0;        // permission bits
    std::string link_target;  // links
};

class TarReader {
public:
    // Throws Failure: 0x8018 when the file cannot be opened, 0x801B when it is no TAR archive.
    explicit TarReader(const std::string& path);
    ~TarReader();
    TarReader(const TarReader&) = delete;
    TarReader& operator=(const TarReader&) = delete;

    // False at the end. Throws Failure 0x8017 for a broken or truncated header.
    bool Next(TarEntry& entry);
    // The current entry's data; throws 0x8014 when it is cut short or broken. A sink that
    // refuses bytes ends the read with 0x8013 unless the caller knows better.
    void ReadData(quorvex6::codecs::Sink& sink);

private:
    struct GzipFeed;

    archive* archive_ = nullptr;
    std::unique_ptr<GzipFeed> feed_;  // gzip is decoded on a thread of its own
    std::string method_;
    uint64_t size_ = 0;
    bool first_ = true;
};

}  // namespace quorvex6::backend::tar
