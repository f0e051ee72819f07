// Packs new members on every core while the archive is written in order. Each worker
// compresses one member into memory (at most kSpoolLimit); the writing thread copies finished
// members into the archive in their order. A member that outgrows its memory waits for its turn
// and then writes straight into the archive, so memory stays bounded whatever the file sizes.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "formats/lha/entry.h"
#include "common/file_sink.h"
#include "common/file_system.h"

namespace quorvex6::unlha32 {

inline constexpr size_t kSpoolLimit = 4 << 20;

class PackQueue {
public:
    explicit PackQueue(std::string method);
    ~PackQueue();
    PackQueue(const PackQueue&) = delete;
    PackQueue& operator=(const PackQueue&) = delete;

    void Add(backend::lha::Entry entry, std::string disk_path);
    void Start();
    // Writes the next member, in the order of Add, at out.position(); rethrows its failure.
    void WriteNext(backend::FileOutput<backend::OutputFile>& out);

    struct Job;

private:
    void Work();
    void RunJob(Job& job);

    friend class SpoolOutput;
    std::string method_;
    std::vector<std::unique_ptr<Job>> jobs_;
    std::vector<std::thread> workers_;
    std::mutex mutex_;
    // Workers wait on one (room in the window, or their turn to write directly), the writing
    // thread on the other, so that no event wakes threads it does not concern.
    std::condition_variable workers_wait_;
    std::condition_variable writer_waits_;
    size_t next_job_ = 0;
    size_t committed_ = 0;
    size_t window_ = 2;
    bool stopping_ = false;
    backend::FileOutput<backend::OutputFile>* out_ = nullptr;
};

}  // namespace quorvex6::unlha32
