// Folders that several files share, decoded whole into memory on threads of their own a few
// folders ahead of the file being extracted. A folder is one serial stream, so this is the one
// way folders of many small files (Quantum and LZX as packed in runs of files) decode on
// several processors while the command's thread makes the files.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "formats/cab/cab_reader.h"
#include "io/stream.h"

namespace quorvex6::backend::cab {

struct SharedFolder {
    std::size_t folder = 0;
    std::uint64_t extent = 0;  // bytes its files reach
};
// Folders, in the order their files come, that at least two files with data share, whose data
// reaches no further than `folder_bytes`, whose files all lie in the set's cabinets and come
// one after another (so they are asked for once, front to back).
std::vector<SharedFolder> SharedSmallFolders(const CabReader& reader, std::uint64_t folder_bytes);

class FolderPrefetch {
  public:
    struct Limits {
        std::uint64_t folder_bytes = std::uint64_t{8} << 20;
        // Decoding threads; each may hold one folder ahead of the one being read.
        unsigned threads = 2;
    };
    FolderPrefetch(const CabReader& reader, Limits limits);
    ~FolderPrefetch();
    FolderPrefetch(const FolderPrefetch&) = delete;
    FolderPrefetch& operator=(const FolderPrefetch&) = delete;

    bool Covers(const CabEntry& entry) const;
    // An entry of a covered folder, called from one thread at a time in stored order; a folder
    // passed over is let go. Throws io::Error as EntryDecoder does: the folder's own fault for
    // every file that reaches past the damage.
    void Extract(const CabEntry& entry, io::Sink& sink);

  private:
    struct Slot {
        SharedFolder shared;
        std::vector<std::uint8_t> bytes;
        std::exception_ptr error;  // what stopped the decoding after `bytes`
        bool done = false;
    };
    static constexpr std::size_t kNotCovered = ~std::size_t{0};

    void Work();

    const CabReader& reader_;
    std::vector<std::size_t> slot_of_;  // by folder; kNotCovered
    std::vector<Slot> slots_;           // in the order the folders are read
    std::size_t ahead_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t wanted_ = 0;  // the slot being read; those before it are let go
    bool started_ = false;    // nothing is decoded before the first file is asked for
    std::size_t next_ = 0;    // the next slot a thread takes
    std::atomic<bool> stop_ = false;
    std::vector<std::thread> threads_;  // last: they use the members above
};

}  // namespace quorvex6::backend::cab
