// What a format gives the pack job: the entries of the archive being replaced, and a writer
// whose encoders (one per worker) turn a source item into an entry's bytes wherever the job
// puts them. Formats throw io::Error; logging, progress and result codes stay with the job.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/pack_sources.h"
#include "io/random_access.h"

namespace quorvex6::backend::jobs {

inline constexpr unsigned kEveryProcessor = ~0u;

struct OldEntry {
    std::string name;
    int64_t mtime = 0;
};

// The entries of the archive being replaced, in stored order.
class OldArchive {
  public:
    virtual ~OldArchive() = default;
    virtual const std::vector<OldEntry>& Entries() const = 0;
};

// What an encoder learnt about an entry that the writer needs once the entry has its place
// (a central directory record, say).
class EncodedEntry {
  public:
    virtual ~EncodedEntry() = default;
};

class EntryEncoder {
  public:
    virtual ~EntryEncoder() = default;
    // Writes the entry of `item` (header and data) at offsets from 0 in `out`, from `data`
    // (nullptr for entries without data). Returns where the entry ends, which may lie before
    // what an abandoned attempt wrote. Runs on a worker, one entry at a time.
    virtual uint64_t Encode(const SourceItem& item, io::RandomInput* data, io::RandomOutput& out,
                            std::unique_ptr<EncodedEntry>& encoded) = 0;
};

// The archive being written. Used on the writing thread only, except for Archive(), which a
// worker writes through while the writing thread waits for it.
class PackWriter {
  public:
    virtual ~PackWriter() = default;
    virtual std::unique_ptr<EntryEncoder> MakeEncoder() = 0;
    // At most this many workers; 0 encodes each entry on the writing thread, straight into the
    // archive (where encoding is mostly reading, handing bytes between threads costs more).
    virtual unsigned MaxWorkers() const = 0;
    // The new archive by offset from its start; its position is where the next entry goes.
    virtual io::RandomOutput& Archive() = 0;
    // Whether bytes already written can be taken back (a file can, a compressed stream cannot).
    virtual bool Rewinds() const = 0;
    // The entry encoded as `encoded` now lies at `offset`.
    virtual void Placed(std::unique_ptr<EncodedEntry> encoded, uint64_t offset) = 0;
    // Entry `index` of the old archive, byte for byte, at the archive's position.
    virtual void CopyRaw(size_t index) = 0;
    virtual void Finish() = 0;
    // Throws the failure the archive's file calls kept (a full disk), if any.
    virtual void CheckArchive() const = 0;
};

}  // namespace quorvex6::backend::jobs
