#include "common/file_write_queue.h"

#include <algorithm>

#include "common/entry_outcome.h"

namespace quorvex6::backend {

FileWriteQueue::~FileWriteQueue() {
    try {
        while (RunOne()) {
        }
        std::unique_lock lock(mutex_);
        WaitForWriters(lock);
        ReportFinished(lock, false);
    } catch (...) {
        // Reporting failed (out of memory); the command's own failure is on its way.
    }
}

void FileWriteQueue::WaitForWriters(std::unique_lock<std::mutex>& lock) {
    idle_.wait(lock, [&] { return writing_ == 0; });
}

bool FileWriteQueue::IsWaiting(const std::string& final_path) const {
    for (const Job& job : queue_)
        if (job.file.final_path() == final_path) return true;
    for (const PendingFile* file : writing_files_)
        if (file->final_path() == final_path) return true;
    return false;
}

void FileWriteQueue::ReportFinished(std::unique_lock<std::mutex>& lock, bool rethrow) {
    while (!outcomes_.empty() && outcomes_.front().done) {
        reporting_.push_back(std::move(outcomes_.front()));
        outcomes_.pop_front();
        ++reported_;
    }
    std::exception_ptr fatal = fatal_;
    lock.unlock();
    for (const Outcome& o : reporting_) report_(o.name, o.failure ? &*o.failure : nullptr);
    reporting_.clear();
    if (fatal && rethrow) std::rethrow_exception(fatal);
}

void FileWriteQueue::Submit(std::string name, PendingFile file, std::vector<uint8_t>& bytes, int64_t mtime,
                            std::optional<uint32_t> mode) {
    std::unique_lock lock(mutex_);
    // A file new on disk cannot share its name with one waiting (that one would be there).
    if (file.replaces() && IsWaiting(file.final_path())) {
        lock.unlock();
        Drain();
        lock.lock();
    }
    if (!fatal_) {
        queued_bytes_ += bytes.size();
        outcomes_.emplace_back();
        queue_.push_back(Job{submitted_++, std::move(name), std::move(file), std::move(bytes), mtime, mode});
    }
    bytes.clear();
    if (!spent_.empty()) {
        bytes.swap(spent_.back());
        spent_.pop_back();
    }
    // Too much waiting: the reader writes the oldest files itself.
    while (queue_.size() > kMaxQueued || queued_bytes_ > kMaxQueuedBytes) {
        lock.unlock();
        RunOne();
        lock.lock();
    }
    ReportFinished(lock, true);
}

void FileWriteQueue::Done(std::string name) {
    std::unique_lock lock(mutex_);
    if (outcomes_.empty()) {
        lock.unlock();
        report_(name, nullptr);
        return;
    }
    outcomes_.push_back(Outcome{std::move(name), std::nullopt, true});
    ++submitted_;
}

void FileWriteQueue::Drain() {
    while (RunOne()) {
    }
    std::unique_lock lock(mutex_);
    WaitForWriters(lock);
    ReportFinished(lock, true);
}

bool FileWriteQueue::RunOne() noexcept {
    std::unique_lock lock(mutex_);
    if (queue_.empty()) return false;
    Job job = std::move(queue_.front());
    queue_.pop_front();
    queued_bytes_ -= job.bytes.size();
    // After a full disk the files not yet written are removed, as if never reached.
    if (fatal_) return true;
    ++writing_;
    writing_files_.push_back(&job.file);
    lock.unlock();
    std::exception_ptr fatal;
    std::optional<Failure> failure = RunEntryWork(
        [&] {
            if (!job.bytes.empty()) job.file.Write(job.bytes.data(), job.bytes.size());
            job.file.Commit(job.mtime, job.mode);
        },
        fatal);
    lock.lock();
    if (spent_.size() < kMaxQueued && job.bytes.capacity() <= kMaxSpentBytes) {
        job.bytes.clear();
        spent_.push_back(std::move(job.bytes));
    }
    writing_files_.erase(std::find(writing_files_.begin(), writing_files_.end(), &job.file));
    if (fatal && !fatal_) fatal_ = fatal;
    Outcome& outcome = outcomes_[job.number - reported_];
    outcome.name = std::move(job.name);
    outcome.failure = std::move(failure);
    outcome.done = !fatal;
    if (--writing_ == 0) idle_.notify_all();
    return true;
}

}  // namespace quorvex6::backend
