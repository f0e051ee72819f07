// The one way the jobs run entry work off the command's thread. The command's thread hands over
// closures in archive order, each for one named entry; they run on the pool's own threads, on
// whichever thread lends its idle time (as IdleWork, e.g. a decoder through its BytePipe), or on
// the command's thread itself when too much waits. Outcomes are reported on the command's thread
// in the order the work was handed over, so a log reads in archive order however the work ran.
//
// At most `tasks` closures wait to run (each may hold an open file), and at most `bytes` are held
// by work handed over whose outcome is not yet reported. A Failure of an entry is that entry's
// outcome; a full disk, or anything that is no Failure, ends the command (as does a report that
// throws): the work not yet begun is dropped, and Submit or Drain rethrow it.
//
// Work that must reach a shared output in order (a pack job's large entry) waits for its turn:
// once every outcome before it is reported, nothing else touches that output until it ends.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/byte_pipe.h"
#include "common/result.h"

namespace quorvex6::backend::jobs {

// A closure that may own what cannot be copied (a pending file).
class PoolTask {
  public:
    template <class Body>
    explicit PoolTask(Body body) : body_(std::make_unique<Holder<Body>>(std::move(body))) {}
    void operator()() { body_->Run(); }

  private:
    struct Base {
        virtual ~Base() = default;
        virtual void Run() = 0;
    };
    template <class Body>
    struct Holder final : Base {
        explicit Holder(Body b) : body(std::move(b)) {}
        void Run() override { body(); }
        Body body;
    };
    std::unique_ptr<Base> body_;
};

class OrderedPool final : public IdleWork {
  public:
    struct Limits {
        size_t tasks = 64;
        size_t bytes = 8 << 20;
        unsigned threads = 0;  // none: only lent time and the command's thread run the work
    };
    // `failure` is null when the entry's work succeeded.
    using Report = std::function<void(const std::string& name, const Failure* failure)>;

    OrderedPool(Limits limits, Report report);
    // Finishes and reports what was handed over (a full disk is then only reported).
    ~OrderedPool() override;
    OrderedPool(const OrderedPool&) = delete;
    OrderedPool& operator=(const OrderedPool&) = delete;

    // Hands over the work of `name` (`bytes` of data it holds until reported); its number in the
    // order of outcomes, counting from 0 every Submit and Done. Reports what finished meanwhile;
    // throws what ended the command.
    uint64_t Submit(std::string name, PoolTask task, size_t bytes = 0);
    // Reports `name` in its turn, after the work handed over before it.
    void Done(std::string name, const Failure* failure = nullptr);
    // Finishes and reports everything handed over; throws what ended the command.
    void Drain();
    // How many outcomes were reported: work numbered below it is finished. Any thread.
    uint64_t reported() const { return reported_; }
    // For the work numbered `number`, on whatever thread runs it: returns once everything before
    // it is reported (on the command's thread, reporting it meanwhile), or false when the
    // command ended first.
    bool WaitForTurn(uint64_t number);
    bool RunOne() noexcept override;

  private:
    struct Job {
        uint64_t number;
        PoolTask task;
    };
    struct Outcome {
        std::string name;
        std::optional<Failure> failure;
        size_t bytes = 0;
        bool done = false;
    };
    void Work();
    // Reports the finished outcomes at the front, in order; throws what ended the command.
    void ReportFinished(std::unique_lock<std::mutex>& lock, bool rethrow);
    // On the command's thread: reports outcomes as they finish until `until` holds.
    template <class Until>
    void ReportUntil(std::unique_lock<std::mutex>& lock, Until until);

    const Limits limits_;
    Report report_;
    const std::thread::id command_thread_;
    std::mutex mutex_;
    std::condition_variable work_ready_;
    // The command's thread waits on one (for the front outcome, or for nothing to run), work
    // waiting for its turn on the other.
    std::condition_variable front_done_;
    std::condition_variable turn_;
    std::deque<Job> queue_;
    size_t held_bytes_ = 0;
    size_t running_ = 0;
    size_t turn_waiters_ = 0;
    bool command_waits_ = false;
    bool closing_ = false;
    bool reports_ended_ = false;
    uint64_t submitted_ = 0;
    std::atomic<uint64_t> reported_ = 0;
    std::deque<Outcome> outcomes_;  // the last handed over, not yet taken for reporting
    std::vector<Outcome> reporting_;
    std::exception_ptr fatal_;
    std::vector<std::thread> threads_;
};

}  // namespace quorvex6::backend::jobs
