// Finishes extracted files off the reading path, for formats read as one decoded stream. The
// reading thread creates each file in archive order, so every path check keeps that order,
// and hands over the file with its bytes; writing them, setting time and permissions and
// closing is done by whichever thread is idle: the decoder when it is ahead (as IdleWork of
// its BytePipe), the reader when it waits for data or when too many files wait. Two threads
// then share the system calls, which are most of extracting small files. Outcomes are
// reported on the reading thread, in the order the files were handed over.
//
// Before anything that looks at finished files on disk (making a link, comparing times of an
// existing file), call Drain: a file handed over may not be complete yet. A file whose name is
// still waiting is handed over only once that one is done, so repeated names end as written
// one after another (an earlier copy that fails removes only itself).
#pragma once
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "common/byte_pipe.h"
#include "common/extract_target.h"
#include "common/result.h"

namespace quorvex6::backend {

class FileWriteQueue final : public IdleWork {
  public:
    // Larger files are written by the reader as they are read, so memory stays bounded.
    static constexpr size_t kMaxFileBytes = 1 << 20;
    static constexpr size_t kMaxQueuedBytes = 8 << 20;
    static constexpr size_t kMaxQueued = 64;  // each holds an open file
    static constexpr size_t kMaxSpentBytes = 64 << 10;  // a larger buffer is not kept for reuse
    // `failure` is null when the file is complete.
    using Report = std::function<void(const std::string& name, const Failure* failure)>;

    explicit FileWriteQueue(Report report) : report_(std::move(report)) {}
    // Finishes and reports what was handed over (a full disk is then only reported).
    ~FileWriteQueue() override;
    FileWriteQueue(const FileWriteQueue&) = delete;
    FileWriteQueue& operator=(const FileWriteQueue&) = delete;

    // Takes the file with all its bytes, leaving in `bytes` an empty buffer of a file written
    // before (reused, so that buffers are not freed on another thread than made them). Throws
    // a full disk met meanwhile.
    void Submit(std::string name, PendingFile file, std::vector<uint8_t>& bytes, int64_t mtime,
                std::optional<uint32_t> mode);
    // Reports `name` as done in its turn, after the files handed over before it.
    void Done(std::string name);
    // Finishes every file handed over and reports it; throws a full disk.
    void Drain();
    bool RunOne() noexcept override;

  private:
    struct Job {
        uint64_t number;
        std::string name;
        PendingFile file;
        std::vector<uint8_t> bytes;
        int64_t mtime;
        std::optional<uint32_t> mode;
    };
    struct Outcome {
        std::string name;  // once done
        std::optional<Failure> failure;
        bool done = false;
    };
    // Reports the finished files at the front, in order; throws a full disk.
    void ReportFinished(std::unique_lock<std::mutex>& lock, bool rethrow);
    void WaitForWriters(std::unique_lock<std::mutex>& lock);
    bool IsWaiting(const std::string& final_path) const;  // under the lock

    Report report_;
    std::mutex mutex_;
    std::condition_variable idle_;  // no file is being written
    std::deque<Job> queue_;
    size_t queued_bytes_ = 0;
    size_t writing_ = 0;
    uint64_t submitted_ = 0;
    uint64_t reported_ = 0;
    std::deque<Outcome> outcomes_;  // from file number reported_ on
    std::vector<Outcome> reporting_;  // the reader's, reused
    std::vector<const PendingFile*> writing_files_;
    std::vector<std::vector<uint8_t>> spent_;  // buffers of files written
    std::exception_ptr fatal_;
};

}  // namespace quorvex6::backend
