// Encodes new entries on every processor while the writing thread puts them into the archive
// in order. Each worker encodes one entry into memory (its spool, at most kSpoolLimit); the
// writing thread copies finished spools into the archive. An entry that outgrows its spool
// waits for its turn and then writes straight into the archive, so memory stays bounded
// whatever the file sizes.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "common/input_opener.h"
#include "common/jobs/pack_format.h"
#include "common/pack_sources.h"

namespace quorvex6::backend::jobs {

inline constexpr size_t kSpoolLimit = 4 << 20;
// The last entry goes straight in once it outgrows this, when its turn has come.
inline constexpr size_t kTurnSpool = 256 << 10;
// Small entries may run this far ahead of the writing thread, beyond two per worker.
inline constexpr uint64_t kAheadBytes = 8 << 20;
inline constexpr size_t kAheadEntries = 256;
// Entries ready in order that wake the writing thread while others are still being encoded.
inline constexpr size_t kWriterBatch = 4;

struct EntryFailure {
    std::exception_ptr error;
    bool taken_back = true;  // nothing of the entry stays in the archive
};

class PackQueue {
  public:
    PackQueue(PackWriter& writer, const std::vector<const SourceItem*>& items);
    ~PackQueue();
    PackQueue(const PackQueue&) = delete;
    PackQueue& operator=(const PackQueue&) = delete;

    // Writes the next item's entry at the archive's position and moves the position behind
    // it, or returns why the entry failed. A failure of the archive itself is thrown.
    std::optional<EntryFailure> WriteNext();

    struct Job;

  private:
    friend class SpoolOutput;
    void Work();
    void RunJob(Job& job, EntryEncoder& encoder, InputOpener& opener);
    bool MayClaim() const;
    bool WriterHasBatch() const;

    PackWriter& writer_;
    std::unique_ptr<EntryEncoder> own_encoder_;  // without workers, the writing thread's
    InputOpener own_opener_;
    std::vector<Job> jobs_;
    std::vector<std::thread> workers_;
    std::mutex mutex_;
    // Workers wait on one (room ahead, or their turn to write directly), the writing thread on
    // the other, so that no event wakes threads it does not concern.
    std::condition_variable workers_wait_;
    std::condition_variable writer_waits_;
    size_t next_job_ = 0;
    size_t committed_ = 0;
    size_t window_ = 2;
    uint64_t ahead_bytes_ = 0;  // spool bytes expected of claimed, unwritten jobs
    size_t running_ = 0;        // jobs claimed by workers and not yet done
    bool writer_waiting_ = false;
    bool stopping_ = false;
};

}  // namespace quorvex6::backend::jobs
