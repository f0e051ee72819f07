#include "common/jobs/pack_queue.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "common/archive_input.h"
#include "common/input_opener.h"
#include "common/system.h"
#include "io/fault.h"

namespace quorvex6::backend::jobs {

struct PackQueue::Job {
    const SourceItem* item = nullptr;
    uint64_t expected = 0;  // spool bytes counted ahead
    std::vector<uint8_t> spool;
    std::unique_ptr<EncodedEntry> encoded;
    uint64_t size = 0;  // bytes of the entry as finally written
    bool done = false;
    bool wants_direct = false;  // outgrew the spool and waits for its turn
    bool direct = false;        // writing straight into the archive from `base`
    uint64_t base = 0;
    std::exception_ptr failure;
};

// Where an encoder puts one entry: the job's memory, then the archive once it is its turn.
class SpoolOutput final : public io::RandomOutput {
  public:
    SpoolOutput(PackQueue& queue, PackQueue::Job& job) : queue_(queue), job_(job) {}

    bool write_at(uint64_t offset, const void* data, size_t n) override {
        if (!job_.direct && Outgrows(offset + n) && !GoDirect()) return false;
        if (job_.direct) return queue_.writer_.Archive().write_at(job_.base + offset, data, n);
        if (job_.spool.size() < offset + n) job_.spool.resize(offset + n);
        std::memcpy(job_.spool.data() + offset, data, n);
        return true;
    }

  private:
    // The last entry, once its turn has come, spools little: nothing is written before it
    // and nothing after it could go on meanwhile.
    bool Outgrows(uint64_t end) {
        if (end <= kTurnSpool) return false;
        if (end > kSpoolLimit) return true;
        std::lock_guard lock(queue_.mutex_);
        return queue_.next_job_ == queue_.jobs_.size() && &queue_.jobs_[queue_.committed_] == &job_;
    }

    bool GoDirect() {
        std::unique_lock lock(queue_.mutex_);
        job_.wants_direct = true;
        queue_.writer_waits_.notify_one();
        queue_.workers_wait_.wait(lock, [&] { return job_.direct || queue_.stopping_; });
        if (queue_.stopping_) return false;
        lock.unlock();
        bool ok =
            queue_.writer_.Archive().write_at(job_.base, job_.spool.data(), job_.spool.size());
        std::vector<uint8_t>().swap(job_.spool);
        return ok;
    }

    PackQueue& queue_;
    PackQueue::Job& job_;
};

PackQueue::PackQueue(PackWriter& writer, const std::vector<const SourceItem*>& items)
    : writer_(writer) {
    jobs_.reserve(items.size());  // never more: workers hold on to their jobs
    for (const SourceItem* item : items) {
        Job& job = jobs_.emplace_back();
        job.item = item;
        job.expected = std::min<uint64_t>(item->stat.size, kSpoolLimit);
    }
    unsigned n =
        std::min({ProcessorCount(), writer.MaxWorkers(), static_cast<unsigned>(jobs_.size())});
    if (n == 0) own_encoder_ = writer.MakeEncoder();
    window_ = std::max<size_t>(2, 2 * static_cast<size_t>(n));
    for (unsigned i = 0; i < n; ++i) workers_.emplace_back([this] { Work(); });
}

PackQueue::~PackQueue() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    workers_wait_.notify_all();
    writer_waits_.notify_all();
    for (std::thread& t : workers_) t.join();
}

bool PackQueue::MayClaim() const {
    size_t ahead = next_job_ - committed_;
    if (ahead < window_) return true;
    return ahead < kAheadEntries && ahead_bytes_ + jobs_[next_job_].expected <= kAheadBytes;
}

void PackQueue::Work() {
    std::unique_ptr<EntryEncoder> encoder = writer_.MakeEncoder();
    InputOpener opener;
    for (;;) {
        Job* job = nullptr;
        {
            std::unique_lock lock(mutex_);
            workers_wait_.wait(
                lock, [&] { return stopping_ || next_job_ >= jobs_.size() || MayClaim(); });
            if (stopping_ || next_job_ >= jobs_.size()) return;
            job = &jobs_[next_job_++];
            ahead_bytes_ += job->expected;
            ++running_;
        }
        RunJob(*job, *encoder, opener);
        std::lock_guard lock(mutex_);
        job->done = true;
        --running_;
        if (writer_waiting_ && WriterHasBatch()) writer_waits_.notify_one();
    }
}

// Waking the writing thread for every small entry cost more thread switches than the writing;
// it is woken when a few entries are ready in order, when nothing more is being encoded, and
// for every entry of the last ones (so that the last entry's turn comes as early as it did).
bool PackQueue::WriterHasBatch() const {
    if (!jobs_[committed_].done) return false;
    if (running_ == 0 || next_job_ == jobs_.size()) return true;
    size_t end = std::min(next_job_, committed_ + kWriterBatch);
    for (size_t i = committed_; i < end; ++i)
        if (!jobs_[i].done) return false;
    return end - committed_ == kWriterBatch;
}

void PackQueue::RunJob(Job& job, EntryEncoder& encoder, InputOpener& opener) {
    try {
        SpoolOutput spool(*this, job);
        if (job.item->stat.kind == FileKind::kRegular) {
            ArchiveInput input(opener.Open(job.item->disk_path), job.item->stat.size);
            job.size = encoder.Encode(*job.item, &input, spool, job.encoded);
        } else {
            job.size = encoder.Encode(*job.item, nullptr, spool, job.encoded);
        }
    } catch (...) {
        job.failure = std::current_exception();
    }
}

std::optional<EntryFailure> PackQueue::WriteNext() {
    io::RandomOutput& archive = writer_.Archive();
    std::unique_lock lock(mutex_);
    Job& job = jobs_[committed_];
    if (own_encoder_) {
        job.base = archive.position();
        job.direct = true;
        lock.unlock();
        RunJob(job, *own_encoder_, own_opener_);
        lock.lock();
        job.done = true;
    }
    writer_waiting_ = true;
    writer_waits_.wait(lock, [&] { return job.done || job.wants_direct; });
    if (!job.done) {
        job.base = archive.position();
        job.direct = true;
        workers_wait_.notify_all();
        writer_waits_.wait(lock, [&] { return job.done; });
    }
    writer_waiting_ = false;
    lock.unlock();
    // Whatever happens to this entry, the next one may be claimed.
    struct Advance {
        PackQueue& queue;
        Job& job;
        ~Advance() {
            std::vector<uint8_t>().swap(job.spool);
            std::lock_guard lock(queue.mutex_);
            queue.ahead_bytes_ -= job.expected;
            ++queue.committed_;
            queue.workers_wait_.notify_all();
        }
    } advance{*this, job};
    writer_.CheckArchive();
    if (job.failure) {
        if (!job.direct) return EntryFailure{job.failure, true};
        // What a failed entry wrote is overwritten by the next one, where the archive can be.
        archive.seek(job.base);
        return EntryFailure{job.failure, writer_.Rewinds()};
    }
    uint64_t offset = job.direct ? job.base : archive.position();
    if (job.direct) {
        archive.seek(job.base + job.size);
    } else if (!archive.write(job.spool.data(), static_cast<size_t>(job.size))) {
        writer_.CheckArchive();
        throw io::Error(io::Fault::kWrite, "cannot write the archive");
    }
    writer_.Placed(std::move(job.encoded), offset);
    return std::nullopt;
}

}  // namespace quorvex6::backend::jobs
