#include "unlha32/extract_pool.h"

#include "common/entry_outcome.h"
#include "common/file_input.h"
#include "common/file_sink.h"
#include "common/system.h"
#include "formats/lha/lha_format.h"
#include "formats/lha/member_io.h"
#include "unlha32/faults.h"

namespace quorvex6::unlha32 {

using backend::Failure;
using backend::lha::Entry;
namespace result = backend::result;

std::optional<uint32_t> ModeOf(const Entry& e) {
    if (e.unix_mode) return *e.unix_mode & 0777;
    return (e.dos_attributes & backend::lha::kDosReadOnly) ? 0444 : 0644;
}

ExtractPool::ExtractPool(std::string archive_path, std::function<void(const Entry&, const Failure&)> failed,
                         std::function<void(const Entry&)> done)
    : path_(std::move(archive_path)), failed_(std::move(failed)), done_(std::move(done)) {
    unsigned n = backend::ProcessorCount();
    for (unsigned i = 0; i < n; ++i) workers_.emplace_back([this] { Work(); });
}

ExtractPool::~ExtractPool() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    work_ready_.notify_all();
    for (std::thread& t : workers_) t.join();
}

void ExtractPool::Report(std::vector<Outcome>& outcomes) {
    for (const Outcome& o : outcomes) {
        if (o.failure) {
            failed_(*o.entry, *o.failure);
        } else {
            done_(*o.entry);
        }
    }
    outcomes.clear();
}

void ExtractPool::Submit(const Entry& entry, backend::PendingFile file) {
    std::vector<Outcome> finished;
    std::unique_lock lock(mutex_);
    room_.wait(lock, [&] { return queue_.size() < kQueued || fatal_; });
    if (fatal_) {
        const std::exception_ptr fatal = fatal_;
        finished.swap(outcomes_);
        lock.unlock();
        Report(finished);
        std::rethrow_exception(fatal);
    }
    queue_.push_back(Job{&entry, std::move(file)});
    // Sleeping workers are woken for a few members at a time: waking one per small member
    // spent more time switching threads than decoding.
    const bool wake = queue_.size() == kWakeBatch;
    finished.swap(outcomes_);
    lock.unlock();
    if (wake) work_ready_.notify_all();
    Report(finished);
}

void ExtractPool::Finish() {
    work_ready_.notify_all();
    std::vector<Outcome> finished;
    std::unique_lock lock(mutex_);
    room_.wait(lock, [&] { return (queue_.empty() && busy_ == 0) || fatal_; });
    finished.swap(outcomes_);
    std::exception_ptr fatal = fatal_;
    lock.unlock();
    Report(finished);
    if (fatal) std::rethrow_exception(fatal);
}

void ExtractPool::Work() {
    std::unique_ptr<backend::FileInput> input;
    std::unique_lock lock(mutex_);
    for (;;) {
        work_ready_.wait(lock, [&] { return !queue_.empty() || closing_; });
        if (queue_.empty()) return;
        const bool was_full = queue_.size() == kQueued;
        Job job = std::move(queue_.front());
        queue_.pop_front();
        ++busy_;
        lock.unlock();
        if (was_full) room_.notify_one();
        const Entry& e = *job.entry;
        std::exception_ptr fatal;
        std::optional<Failure> failure = backend::RunEntryWork(
            [&] {
                if (!input) input = std::make_unique<backend::FileInput>(path_);
                backend::FileSink sink(job.file);
                RunFormatWork(sink, [&] { backend::lha::DecodeMember(*input, e, sink); });
                job.file.Commit(e.mtime, ModeOf(e));
            },
            fatal);
        lock.lock();
        if (!fatal) outcomes_.push_back(Outcome{&e, std::move(failure)});
        if (fatal && !fatal_) fatal_ = fatal;
        --busy_;
        // The calling thread waits for room, for the end, or for a failure that ends it all.
        if (fatal_ || (queue_.empty() && busy_ == 0)) room_.notify_all();
    }
}

}  // namespace quorvex6::unlha32
