#include "common/jobs/ordered_pool.h"

#include "common/entry_outcome.h"

namespace quorvex6::backend::jobs {

namespace {

// Sleeping threads are woken for a few pieces of work at a time: waking one per small file
// spent more time switching threads than the work took.
constexpr size_t kWakeBatch = 4;

}  // namespace

OrderedPool::OrderedPool(Limits limits, Report report)
    : limits_(limits), report_(std::move(report)), command_thread_(std::this_thread::get_id()) {
    for (unsigned i = 0; i < limits_.threads; ++i) threads_.emplace_back([this] { Work(); });
}

OrderedPool::~OrderedPool() {
    try {
        Drain();
    } catch (...) {
        // What ended the command is on its way already, or reporting failed (out of memory).
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
    }
    if (!reporting_.empty()) {
        const bool skip = reports_ended_;
        lock.unlock();
        std::exception_ptr failed;
        size_t bytes = 0;
        for (const Outcome& o : reporting_) {
            bytes += o.bytes;
            if (skip || failed) continue;
            try {
                report_(o.name, o.failure ? &*o.failure : nullptr);
            } catch (...) {
                failed = std::current_exception();
            }
        }
        const size_t count = reporting_.size();
        reporting_.clear();
        lock.lock();
        held_bytes_ -= bytes;
        reported_ += count;
        if (failed) {
            reports_ended_ = true;
            if (!fatal_) fatal_ = failed;
        }
        if (turn_waiters_ > 0 || failed) turn_.notify_all();
    }
    if (fatal_ && rethrow) std::rethrow_exception(fatal_);
}

template <class Until>
void OrderedPool::ReportUntil(std::unique_lock<std::mutex>& lock, Until until) {
    for (;;) {
        ReportFinished(lock, false);
        if (until()) return;
        command_waits_ = true;
        front_done_.wait(lock,
                         [&] { return until() || (!outcomes_.empty() && outcomes_.front().done); });
        command_waits_ = false;
    }
}

uint64_t OrderedPool::Submit(std::string name, PoolTask task, size_t bytes) {
    std::unique_lock lock(mutex_);
    const uint64_t number = submitted_;
    if (!fatal_) {
        outcomes_.push_back(Outcome{std::move(name), std::nullopt, bytes, false});
        queue_.push_back(Job{submitted_++, std::move(task)});
        held_bytes_ += bytes;
    }
    const bool wake = queue_.size() == kWakeBatch;
    // Too much waits: this thread does the oldest work itself, or reports what finishes.
    while (!fatal_ && (queue_.size() > limits_.tasks || held_bytes_ > limits_.bytes)) {
        if (queue_.empty()) {
            ReportUntil(lock, [&] { return held_bytes_ <= limits_.bytes || fatal_; });
            continue;
        }
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
    ++submitted_;
    if (outcomes_.empty()) {
        lock.unlock();
        report_(name, failure);
        ++reported_;
        return;
    }
    outcomes_.push_back(
        Outcome{std::move(name), failure ? std::optional(*failure) : std::nullopt, 0, true});
}

void OrderedPool::Drain() {
    work_ready_.notify_all();
    while (RunOne()) {
    }
    std::unique_lock lock(mutex_);
    ReportUntil(lock, [&] { return running_ == 0; });
    ReportFinished(lock, true);
}

bool OrderedPool::WaitForTurn(uint64_t number) {
    std::unique_lock lock(mutex_);
    if (std::this_thread::get_id() == command_thread_) {
        ReportUntil(lock, [&] { return reported_ == number || fatal_; });
    } else {
        ++turn_waiters_;
        turn_.wait(lock, [&] { return reported_ == number || fatal_; });
        --turn_waiters_;
    }
    return !fatal_;
}

bool OrderedPool::RunOne() noexcept {
    std::unique_lock lock(mutex_);
    if (queue_.empty()) return false;
    Job job = std::move(queue_.front());
    queue_.pop_front();
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
    if (fatal && !fatal_) {
        fatal_ = fatal;
        turn_.notify_all();
    }
    const uint64_t front = submitted_ - outcomes_.size();
    Outcome& outcome = outcomes_[job.number - front];
    outcome.failure = std::move(failure);
    outcome.done = !fatal;
    --running_;
    if (command_waits_ && (job.number == front || running_ == 0 || fatal)) front_done_.notify_one();
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
