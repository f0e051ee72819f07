// An archive written by offset through a buffer: the many small entries of a tree reach the
// file in a few large writes instead of one system call each. A write that overlaps or
// directly follows what is buffered (the next entry, a header patched after its data, a failed
// entry written over) lands in the buffer; any other flushes it first. The owner flushes
// before the archive is complete: failures show there, kept for Rethrow as FileOutput keeps
// them.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "common/file_sink.h"

namespace quorvex6::backend {

template <class File>
class BufferedFileOutput final : public io::RandomOutput {
  public:
    static constexpr std::size_t kBufferSize = 256 * 1024;

    explicit BufferedFileOutput(File& file) : file_(file) { buffer_.reserve(kBufferSize); }

    bool write_at(std::uint64_t offset, const void* data, std::size_t n) override {
        if (buffer_.empty()) start_ = offset;
        const std::uint64_t buffered_end = start_ + buffer_.size();
        if (offset >= start_ && offset <= buffered_end && offset + n <= start_ + kBufferSize) {
            // Bytes over buffered ones are copied, the rest appended: nothing is zeroed first.
            const auto at = static_cast<std::size_t>(offset - start_);
            const std::size_t over = std::min(n, buffer_.size() - at);
            const auto* bytes = static_cast<const std::uint8_t*>(data);
            std::memcpy(buffer_.data() + at, bytes, over);
            buffer_.insert(buffer_.end(), bytes + over, bytes + n);
            return true;
        }
        if (!Flush()) return false;
        if (n >= kBufferSize) return file_.write_at(offset, data, n);
        return write_at(offset, data, n);
    }

    // Writes what is buffered; false (the failure kept) when that fails.
    bool Flush() {
        if (buffer_.empty()) return true;
        const bool ok = file_.write_at(start_, buffer_.data(), buffer_.size());
        buffer_.clear();
        return ok;
    }
    // Flushes and ends the file at the current position, as FileOutput::CutHere.
    bool CutHere() {
        if (!Flush()) return false;
        file_.seek(position());
        return file_.CutHere();
    }
    void Rethrow() const { file_.Rethrow(); }

  private:
    FileOutput<File> file_;
    std::vector<std::uint8_t> buffer_;
    std::uint64_t start_ = 0;  // the file offset of buffer_[0]
};

}  // namespace quorvex6::backend
