#include "common/jobs/ordered_pool.h"

#include "common/entry_outcome.h"

namespace quorvex6::backend::jobs {

namespace {

// Sleeping threads are woken for a few pieces of work at a time: waking one per small file
// spent more time switching threads than the work took.
constexpr size_t kWakeBatch = 4;

}  // namespace

OrderedPool::OrderedPool(Limits limits, Report report)
    : limits_(limits), report_(std::move(report)) {
    for (unsigned i = 0; i < limits_.threads; ++i) threads_.emplace_back([this] { Work(); });
}

OrderedPool::~OrderedPool() {
    try {
        work_ready_.notify_all();
        while (RunOne()) {
        }
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [&] { return running_ == 0; });
        ReportFinished(lock, false);
    } catch (...) {
        // Reporting failed (out of memory); the command's own failure is on its way.
    }
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    work_ready_.notify_all();
    for (std::thread& t : threads_) t.join();
}

void OrderedPool::ReportFinished(std::unique_lock<std::mutex>& lock, bool rethrow) {
    while (!outcomes_.empty() && outcomes_.front().done) {
        reporting_.push_back(std::move(outcomes_.front()));
        outcomes_.pop_front();
        ++reported_;
    }
    const std::exception_ptr fatal = fatal_;
    lock.unlock();
    for (const Outcome& o : reporting_) report_(o.name, o.failure ? &*o.failure : nullptr);
    reporting_.clear();
    if (fatal && rethrow) std::rethrow_exception(fatal);
}

uint64_t OrderedPool::Submit(std::string name, PoolTask task, size_t bytes) {
    std::unique_lock lock(mutex_);
    const uint64_t number = submitted_;
    if (!fatal_) {
        outcomes_.push_back(Outcome{std::move(name), std::nullopt, false});
        queue_.push_back(Job{submitted_++, std::move(task), bytes});
        queued_bytes_ += bytes;
    }
    const bool wake = queue_.size() == kWakeBatch;
    // Too much waits: this thread does the oldest work itself.
    while (queue_.size() > limits_.tasks || queued_bytes_ > limits_.bytes) {
        lock.unlock();
        RunOne();
        lock.lock();
    }
    if (wake) work_ready_.notify_all();
    ReportFinished(lock, true);
    return number;
}

void OrderedPool::Done(std::string name, const Failure* failure) {
    std::unique_lock lock(mutex_);
    if (outcomes_.empty()) {
        lock.unlock();
        report_(name, failure);
        return;
    }
    outcomes_.push_back(
        Outcome{std::move(name), failure ? std::optional(*failure) : std::nullopt, true});
    ++submitted_;
}

void OrderedPool::Drain() {
    work_ready_.notify_all();
    while (RunOne()) {
    }
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [&] { return running_ == 0; });
    ReportFinished(lock, true);
}

bool OrderedPool::RunOne() noexcept {
    std::unique_lock lock(mutex_);
    if (queue_.empty()) return false;
    Job job = std::move(queue_.front());
    queue_.pop_front();
    queued_bytes_ -= job.bytes;
    // After the command's end the work not yet begun is dropped, as if never reached.
    if (fatal_) {
        lock.unlock();
        return true;
    }
    ++running_;
    lock.unlock();
    std::exception_ptr fatal;
    std::optional<Failure> failure;
    {
        PoolTask task = std::move(job.task);  // what it holds is let go of before the lock
        failure = RunEntryWork(task, fatal);
    }
    lock.lock();
    if (fatal && !fatal_) fatal_ = fatal;
    Outcome& outcome = outcomes_[job.number - reported_];
    outcome.failure = std::move(failure);
    outcome.done = !fatal;
    if (--running_ == 0) idle_.notify_all();
    return true;
}

void OrderedPool::Work() {
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            work_ready_.wait(lock, [&] { return !queue_.empty() || closing_; });
            if (queue_.empty()) return;
        }
        RunOne();
    }
}

}  // namespace quorvex6::backend::jobs
