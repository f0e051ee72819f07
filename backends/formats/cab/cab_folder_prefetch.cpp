#include "formats/cab/cab_folder_prefetch.h"

#include <algorithm>

#include "formats/cab/cab_folder_reader.h"
#include "io/fault.h"

namespace quorvex6::backend::cab {

namespace {

// Collects a folder's bytes; refuses more once the prefetch ends, so a decoding thread stops
// soon after.
class StoppableSink final : public io::Sink {
  public:
    StoppableSink(std::vector<std::uint8_t>& out, const std::atomic<bool>& stop)
        : out_(out), stop_(stop) {}
    bool write(const std::uint8_t* data, std::size_t size) override {
        if (stop_.load(std::memory_order_relaxed)) return false;
        out_.insert(out_.end(), data, data + size);
        return true;
    }

  private:
    std::vector<std::uint8_t>& out_;
    const std::atomic<bool>& stop_;
};

}  // namespace

std::vector<SharedFolder> SharedSmallFolders(const CabReader& reader, std::uint64_t folder_bytes) {
    struct Use {
        std::size_t files = 0;
        std::uint64_t extent = 0;
        bool fits = true;  // complete, and its files in one run
        bool seen = false;
    };
    std::vector<Use> uses(reader.set().folders.size());
    std::vector<std::size_t> order;
    std::size_t last = uses.size();
    for (const CabEntry& entry : reader.entries()) {
        if (entry.file.size == 0 || entry.folder >= uses.size()) continue;
        Use& use = uses[entry.folder];
        if (use.seen && last != entry.folder) use.fits = false;
        if (!use.seen) order.push_back(entry.folder);
        use.seen = true;
        use.fits = use.fits && !entry.incomplete;
        ++use.files;
        use.extent =
            std::max(use.extent, std::uint64_t{entry.file.folder_offset} + entry.file.size);
        last = entry.folder;
    }
    std::vector<SharedFolder> shared;
    for (std::size_t folder : order) {
        const Use& use = uses[folder];
        if (use.fits && use.files >= 2 && use.extent <= folder_bytes)
            shared.push_back({folder, use.extent});
    }
    return shared;
}

FolderPrefetch::FolderPrefetch(const CabReader& reader, Limits limits)
    : reader_(reader),
      slot_of_(reader.set().folders.size(), kNotCovered),
      ahead_(std::max(limits.threads, 1u)) {
    for (const SharedFolder& shared : SharedSmallFolders(reader, limits.folder_bytes)) {
        slot_of_[shared.folder] = slots_.size();
        slots_.push_back({.shared = shared});
    }
    if (slots_.empty()) return;
    try {
        for (unsigned i = 0; i < ahead_; ++i) threads_.emplace_back([this] { Work(); });
    } catch (...) {
        stop_ = true;
        changed_.notify_all();
        for (std::thread& t : threads_) t.join();
        throw;
    }
}

FolderPrefetch::~FolderPrefetch() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    for (std::thread& t : threads_) t.join();
}

bool FolderPrefetch::Covers(const CabEntry& entry) const {
    return entry.file.size != 0 && entry.folder < slot_of_.size() &&
           slot_of_[entry.folder] != kNotCovered;
}

void FolderPrefetch::Extract(const CabEntry& entry, io::Sink& sink) {
    const std::size_t wanted = slot_of_[entry.folder];
    Slot* slot = nullptr;
    {
        std::unique_lock lock(mutex_);
        // Covered folders come in one run each, so the reading never goes back.
        if (wanted < wanted_)
            throw io::Error(io::Fault::kBrokenData, entry.name + ": its folder was let go");
        if (wanted > wanted_ || !started_) {
            for (std::size_t i = wanted_; i < wanted; ++i)
                std::vector<std::uint8_t>().swap(slots_[i].bytes);
            wanted_ = wanted;
            started_ = true;
            changed_.notify_all();
        }
        slot = &slots_[wanted];
        changed_.wait(lock, [&] { return slot->done; });
    }
    // Done and not let go before a later folder is asked for on this thread: read unlocked.
    // Short of the file's end only where the decoding failed.
    if (std::uint64_t{entry.file.folder_offset} + entry.file.size > slot->bytes.size())
        std::rethrow_exception(slot->error);
    if (!sink.write(slot->bytes.data() + entry.file.folder_offset, entry.file.size))
        throw io::Error(io::Fault::kWrite, "cannot write the file");
}

void FolderPrefetch::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] {
            return stop_ || (started_ && std::max(next_, wanted_) < slots_.size() &&
                             std::max(next_, wanted_) <= wanted_ + ahead_);
        });
        if (stop_) return;
        next_ = std::max(next_, wanted_);
        Slot& slot = slots_[next_++];
        lock.unlock();
        std::vector<std::uint8_t> bytes;
        std::exception_ptr error;
        try {
            bytes.reserve(slot.shared.extent);
            StoppableSink sink(bytes, stop_);
            FolderReader(reader_.set().folders[slot.shared.folder]).Copy(slot.shared.extent, &sink);
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        // A folder passed over meanwhile is not kept.
        if (&slot - slots_.data() >= static_cast<std::ptrdiff_t>(wanted_)) {
            slot.bytes = std::move(bytes);
            slot.error = error;
        }
        slot.done = true;
        changed_.notify_all();
    }
}

}  // namespace quorvex6::backend::cab
