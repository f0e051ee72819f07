// The container's byte interfaces over the shared file calls. Those throw Failure; the
// container speaks status codes, so the adapters keep the first Failure and the caller
// rethrows it once the container has returned (a full disk stays 0x8005, not a write error).
#pragma once
#include <exception>
#include <string>
#include <vector>

#include "codecs/codec.h"
#include "common/extract_target.h"
#include "common/file_system.h"
#include "formats/lha/byte_io.h"

namespace quorvex6::unlha32 {

class FailureKeeper {
public:
    template <class F>
    bool Try(F&& body) {
        try {
            body();
            return true;
        } catch (...) {
            if (!first_) first_ = std::current_exception();
            return false;
        }
    }
    void Rethrow() const {
        if (first_) std::rethrow_exception(first_);
    }

private:
    std::exception_ptr first_;
};

// Reads ahead: headers and small members come in many short reads at rising offsets, which
// would otherwise each be a system call.
class FileInput final : public formats::lha::ByteInput, public FailureKeeper {
public:
    explicit FileInput(const std::string& path) : file_(path), size_(file_.Size()) {}
    uint64_t size() const override { return size_; }
    std::ptrdiff_t read_at(uint64_t offset, void* data, size_t n) override;

private:
    static constexpr size_t kAhead = 64 * 1024;
    std::ptrdiff_t read_file(uint64_t offset, void* data, size_t n);

    backend::InputFile file_;
    uint64_t size_;
    std::vector<uint8_t> ahead_;
    uint64_t ahead_at_ = 0;  // offset of ahead_[0]
};

class FileOutput final : public formats::lha::ByteOutput, public FailureKeeper {
public:
    explicit FileOutput(backend::OutputFile& file) : file_(file) {}
    bool write_at(uint64_t offset, const void* data, size_t n) override {
        return Try([&] { file_.WriteAt(offset, data, n); });
    }
    // Ends the file at the current position: whatever lies beyond was written by an attempt
    // that was abandoned (a member stored after all, or one that failed).
    bool CutHere() {
        return Try([&] { file_.Truncate(position()); });
    }

private:
    backend::OutputFile& file_;
};

// Decoded member data into an extracted file.
class PendingSink final : public codecs::Sink, public FailureKeeper {
public:
    explicit PendingSink(backend::PendingFile& file) : file_(file) {}
    bool write(const uint8_t* data, size_t size) override {
        return Try([&] { file_.Write(data, size); });
    }

private:
    backend::PendingFile& file_;
};

// Decoded data nobody keeps: testing archives.
class NullSink final : public codecs::Sink {
public:
    bool write(const uint8_t*, size_t) override { return true; }
};

}  // namespace quorvex6::unlha32
