// Decodes extracted members on every core. The calling thread places each member (the path
// checks and the file creation stay in archive order); workers decode into the pending file and
// commit it. Each worker reads the archive through its own handle. At most kQueued members wait,
// so open files and memory stay bounded. Workers only queue their outcomes; the calling thread
// reports them, so the extraction target is never touched by two threads and placing a member
// needs no lock.
#pragma once
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/extract_target.h"
#include "common/result.h"
#include "formats/lha/entry.h"

namespace quorvex6::unlha32 {

// The permissions an extracted member gets.
std::optional<uint32_t> ModeOf(const backend::lha::Entry& e);

class ExtractPool {
public:
    static constexpr size_t kQueued = 16;
    static constexpr size_t kWakeBatch = 4;
    // `failed` and `done` run on the calling thread, inside Submit and Finish.
    ExtractPool(std::string archive_path, std::function<void(const backend::lha::Entry&, const backend::Failure&)> failed,
                std::function<void(const backend::lha::Entry&)> done);
    ~ExtractPool();  // waits for every member handed over
    ExtractPool(const ExtractPool&) = delete;
    ExtractPool& operator=(const ExtractPool&) = delete;

    void Submit(const backend::lha::Entry& entry, backend::PendingFile file);
    // Waits for everything handed over; rethrows a failure that must end the command.
    void Finish();

private:
    struct Job {
        const backend::lha::Entry* entry;
        backend::PendingFile file;
    };
    struct Outcome {
        const backend::lha::Entry* entry;
        std::optional<backend::Failure> failure;
    };
    void Work();
    // Reports the outcomes taken out of the queue under the lock.
    void Report(std::vector<Outcome>& outcomes);

    std::string path_;
    std::function<void(const backend::lha::Entry&, const backend::Failure&)> failed_;
    std::function<void(const backend::lha::Entry&)> done_;
    std::mutex mutex_;
    // Two conditions, so that handing over members wakes workers and not the calling thread.
    std::condition_variable work_ready_;
    std::condition_variable room_;
    std::deque<Job> queue_;
    std::vector<Outcome> outcomes_;
    size_t busy_ = 0;
    bool closing_ = false;
    std::exception_ptr fatal_;
    std::vector<std::thread> workers_;
};

}  // namespace quorvex6::unlha32
