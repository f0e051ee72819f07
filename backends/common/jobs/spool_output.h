// One new entry of a pack job on its way into the archive: encoded into memory (its spool) on
// whatever thread runs it and written by the command's thread in its turn, or, once it outgrows
// the spool, written straight into the archive when its turn has come. Memory stays bounded
// whatever the file sizes.
#pragma once
#include <cstdint>
#include <exception>
#include <memory>
#include <vector>

#include "common/jobs/ordered_pool.h"
#include "common/jobs/pack_format.h"
#include "io/random_access.h"

namespace quorvex6::backend::jobs {

inline constexpr size_t kSpoolLimit = 4 << 20;
// The last new entry goes straight in once it outgrows this, when its turn has come: nothing is
// written before it and nothing after it could go on meanwhile, so a lone large file costs no
// more memory than that.
inline constexpr size_t kTurnSpool = 256 << 10;

struct SpooledEntry {
    const SourceItem* item = nullptr;
    uint64_t number = 0;  // in the pool's order of outcomes
    bool last = false;    // no new entry follows
    std::vector<uint8_t> spool;
    std::unique_ptr<EncodedEntry> encoded;
    uint64_t size = 0;  // bytes of the entry as finally written
    bool direct = false;
    uint64_t base = 0;  // where a direct entry begins
    std::exception_ptr failure;
};

class SpoolOutput final : public io::RandomOutput {
  public:
    SpoolOutput(SpooledEntry& entry, OrderedPool& pool, io::RandomOutput& archive)
        : entry_(entry), pool_(pool), archive_(archive) {}

    bool write_at(uint64_t offset, const void* data, size_t n) override;
    // For a caller whose turn has come: the entry goes straight into the archive from its start.
    void BeginDirect();

  private:
    bool Outgrows(uint64_t end) const;
    bool GoDirect();

    SpooledEntry& entry_;
    OrderedPool& pool_;
    io::RandomOutput& archive_;
};

}  // namespace quorvex6::backend::jobs
