#include "unlha32/parallel_pack.h"

#include <algorithm>
#include <cstring>

#include "common/file_input.h"
#include "common/result.h"
#include "common/system.h"
#include "formats/lha/lha_writer.h"
#include "unlha32/faults.h"

namespace quorvex6::unlha32 {

struct PackQueue::Job {
    backend::lha::Entry entry;
    std::string path;
    std::vector<uint8_t> spool;
    uint64_t size = 0;           // bytes of the member (header and data) as finally written
    bool done = false;
    bool wants_direct = false;   // outgrew the spool and waits for its turn
    bool direct = false;         // writing straight into the archive from `base`
    uint64_t base = 0;
    std::exception_ptr failure;
};

// Where the Writer puts one member: the job's memory, then the archive once it is its turn.
class SpoolOutput final : public backend::io::RandomOutput {
public:
    SpoolOutput(PackQueue& queue, PackQueue::Job& job) : queue_(queue), job_(job) {}

    bool write_at(uint64_t offset, const void* data, size_t n) override {
        if (!job_.direct && offset + n > kSpoolLimit && !GoDirect()) return false;
        if (job_.direct) return queue_.out_->write_at(job_.base + offset, data, n);
        if (job_.spool.size() < offset + n) job_.spool.resize(offset + n);
        std::memcpy(job_.spool.data() + offset, data, n);
        return true;
    }

private:
    bool GoDirect() {
        std::unique_lock lock(queue_.mutex_);
        job_.wants_direct = true;
        queue_.writer_waits_.notify_one();
        queue_.workers_wait_.wait(lock, [&] { return job_.direct || queue_.stopping_; });
        if (queue_.stopping_) return false;
        lock.unlock();
        bool ok = queue_.out_->write_at(job_.base, job_.spool.data(), job_.spool.size());
        std::vector<uint8_t>().swap(job_.spool);
        return ok;
    }

    PackQueue& queue_;
    PackQueue::Job& job_;
};

PackQueue::PackQueue(std::string method) : method_(std::move(method)) {}

PackQueue::~PackQueue() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    workers_wait_.notify_all();
    writer_waits_.notify_all();
    for (std::thread& t : workers_) t.join();
}

void PackQueue::Add(backend::lha::Entry entry, std::string disk_path) {
    jobs_.push_back(std::make_unique<Job>(Job{std::move(entry), std::move(disk_path)}));
}

void PackQueue::Start() {
    unsigned n = std::min<unsigned>(backend::ProcessorCount(), static_cast<unsigned>(jobs_.size()));
    window_ = std::max<size_t>(2, 2 * static_cast<size_t>(n));
    for (unsigned i = 0; i < n; ++i) workers_.emplace_back([this] { Work(); });
}

void PackQueue::Work() {
    for (;;) {
        Job* job = nullptr;
        {
            std::unique_lock lock(mutex_);
            workers_wait_.wait(lock, [&] {
                return stopping_ || next_job_ >= jobs_.size() || next_job_ < committed_ + window_;
            });
            if (stopping_ || next_job_ >= jobs_.size()) return;
            job = jobs_[next_job_++].get();
        }
        RunJob(*job);
        std::lock_guard lock(mutex_);
        job->done = true;
        // The writing thread waits only for the member next in order.
        if (committed_ < jobs_.size() && jobs_[committed_].get() == job) writer_waits_.notify_one();
    }
}

void PackQueue::RunJob(Job& job) {
    try {
        SpoolOutput spool(*this, job);
        backend::lha::Writer writer(spool, method_);
        try {
            if (!job.entry.has_data()) {
                writer.Add(job.entry, nullptr);
            } else {
                backend::FileInput input(job.path);
                writer.Add(job.entry, &input);
            }
        } catch (const backend::io::Error& error) {
            throw FailureOf(error, "");
        }
        // Where the member ends: a stored retry of a file that shrank meanwhile ends before
        // what the abandoned attempt wrote.
        job.size = spool.position();
    } catch (...) {
        job.failure = std::current_exception();
    }
}

void PackQueue::WriteNext(backend::FileOutput<backend::OutputFile>& out) {
    std::unique_lock lock(mutex_);
    out_ = &out;
    Job& job = *jobs_[committed_];
    writer_waits_.wait(lock, [&] { return job.done || job.wants_direct; });
    if (!job.done) {
        job.base = out.position();
        job.direct = true;
        workers_wait_.notify_all();
        writer_waits_.wait(lock, [&] { return job.done; });
    }
    lock.unlock();
    out.Rethrow();
    if (job.failure) {
        // Whatever a failed member wrote is overwritten by the next one.
        ++committed_;
        workers_wait_.notify_all();
        std::rethrow_exception(job.failure);
    }
    if (job.direct) {
        out.seek(job.base + job.size);
    } else {
        out.write(job.spool.data(), static_cast<size_t>(job.size));
        out.Rethrow();
        std::vector<uint8_t>().swap(job.spool);
    }
    lock.lock();
    ++committed_;
    workers_wait_.notify_all();
}

}  // namespace quorvex6::unlha32
