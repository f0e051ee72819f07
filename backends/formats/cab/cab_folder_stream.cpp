#include "formats/cab/cab_folder_stream.h"

#include <algorithm>
#include <exception>
#include <span>
#include <thread>

#include "formats/cab/cab_format.h"
#include "io/fault.h"

namespace quorvex6::backend::cab {

namespace {

constexpr std::size_t kBlocksPerThread = 16;  // of a flush: enough to keep threads busy

}  // namespace

FolderStream::FolderStream(std::uint16_t type, int level, unsigned threads) : type_(type) {
    if ((type & kMethodMask) == kMethodMszip)
        encoders_ = BlockBatch::MakeEncoders(level, std::max(1u, threads));
}

FolderStream::Place FolderStream::Append(io::RandomInput& data, std::uint64_t size,
                                         io::RandomOutput& out, std::uint64_t base,
                                         std::uint64_t* read) {
    if (size > kMaxFolderData)
        throw io::Error(io::Fault::kBrokenData, "a cabinet's folder holds at most 2 GiB");
    const std::uint64_t out_at = out.position();
    const std::size_t folders = folders_.size();
    const std::uint16_t blocks = folders_.empty() ? 0 : folders_.back().blocks;
    const std::uint64_t folder_bytes = folder_bytes_;
    pending_at_call_ = pending_.size();
    saved_.reset();
    try {
        if (folders_.empty() || folder_bytes_ + size > kMaxFolderData) StartFolder(out, base);
        Place place{static_cast<std::uint16_t>(folders_.size() - 1),
                    static_cast<std::uint32_t>(folder_bytes_)};
        const std::size_t batch =
            std::max<std::size_t>(1, encoders_.size()) * kBlocksPerThread * kMaxBlockData;
        std::uint64_t at = 0;
        while (at < size) {
            auto want = static_cast<std::size_t>(std::min<std::uint64_t>(batch, size - at));
            std::size_t old = pending_.size();
            pending_.resize(old + want);
            std::ptrdiff_t got = data.read_at(at, pending_.data() + old, want);
            if (got < 0) throw io::Error(io::Fault::kRead, "cannot read the file");
            pending_.resize(old + static_cast<std::size_t>(got));
            at += static_cast<std::uint64_t>(got);
            folder_bytes_ += static_cast<std::uint64_t>(got);
            if (pending_.size() >= batch) Flush(out, false);
            if (static_cast<std::size_t>(got) < want) break;  // the file ended early
        }
        *read = at;
        saved_.reset();
        return place;
    } catch (...) {
        if (saved_) {
            pending_ = std::move(saved_->pending);
            dictionary_ = std::move(saved_->dictionary);
            running_ = std::move(saved_->running);
        } else {
            pending_.resize(pending_at_call_);
        }
        saved_.reset();
        folders_.resize(folders);
        if (!folders_.empty()) folders_.back().blocks = blocks;
        folder_bytes_ = folder_bytes;
        out.seek(out_at);
        throw;
    }
}

void FolderStream::Finish(io::RandomOutput& out, std::uint64_t base) {
    pending_at_call_ = 0;
    saved_.reset();
    if (folders_.empty()) StartFolder(out, base);
    Flush(out, true);
}

void FolderStream::StartFolder(io::RandomOutput& out, std::uint64_t base) {
    if (!folders_.empty()) Flush(out, true);
    // Nothing else is written between blocks: the next block is the new folder's first.
    folders_.push_back({base + out.position(), 0, type_});
    folder_bytes_ = 0;
    dictionary_.clear();
}

void FolderStream::Flush(io::RandomOutput& out, bool last) {
    std::size_t count = pending_.size() / kMaxBlockData;
    if (last && pending_.size() % kMaxBlockData != 0) ++count;
    if (count == 0 && !running_) return;
    if (folders_.back().blocks + count > kMaxBlocks)
        throw io::Error(io::Fault::kBrokenData, "a cabinet's folder holds at most 65535 blocks");
    std::unique_ptr<BlockBatch> written = std::move(running_);
    BlockBatch* earlier = written.get();
    // The first flush of a call writes earlier files' batch: a failure puts it back.
    if (!saved_)
        saved_ = Saved{{pending_.begin(), pending_.begin() + pending_at_call_},
                       dictionary_,
                       std::move(written)};
    if (earlier != nullptr) earlier->Wait();
    if (count != 0) {
        const std::size_t taken = std::min(pending_.size(), count * kMaxBlockData);
        std::vector<std::uint8_t> input(pending_.begin(), pending_.begin() + taken);
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(taken));
        running_ = std::make_unique<BlockBatch>(std::move(input), dictionary_, encoders_);
        std::span<const std::uint8_t> previous = running_->Block(count - 1);
        dictionary_.assign(previous.begin(), previous.end());
        folders_.back().blocks = static_cast<std::uint16_t>(folders_.back().blocks + count);
    }
    pending_at_call_ = 0;
    // The earlier batch goes out while this one is compressed.
    if (earlier != nullptr) earlier->Write(out);
    if (last && running_) {
        running_->Wait();
        running_->Write(out);
        running_.reset();
    }
}

}  // namespace quorvex6::backend::cab
