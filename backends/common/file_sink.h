// Where the libraries let a codec or a format write: into a file of the shared file calls
// (OutputFile, PendingFile). The file calls throw Failure while a codec speaks status codes
// and a format knows no result codes, so these keep the first Failure and the caller rethrows
// it once the codec or format has returned: a full disk stays 0x8005, not a write error.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "codecs/codec.h"
#include "common/result.h"
#include "io/random_access.h"

namespace quorvex6::backend {

// Runs file calls for code that speaks status values: keeps the first Failure, for Rethrow.
class KeptFailure {
  public:
    // False when the call failed.
    template <class Call>
    bool Try(Call call) {
        try {
            call();
            return true;
        } catch (const Failure& f) {
            if (!error_) error_ = f;
            return false;
        }
    }
    // Throws the kept Failure, if any.
    void Rethrow() const {
        if (error_) throw *error_;
    }

  private:
    std::optional<Failure> error_;
};

template <class File>
class FileSink final : public quorvex6::backend::codecs::Sink {
  public:
    explicit FileSink(File& file) : file_(file) {}
    bool write(const std::uint8_t* data, std::size_t size) override {
        return kept_.Try([&] { file_.Write(data, size); });
    }
    // A file that can pass over bytes gets a hole.
    bool hole(std::uint64_t size) override {
        if constexpr (requires { file_.Skip(size); })
            return kept_.Try([&] { file_.Skip(size); });
        else
            return Sink::hole(size);
    }
    void Rethrow() const { kept_.Rethrow(); }

  private:
    File& file_;
    KeptFailure kept_;
};

// The same for an archive written by offset (an OutputFile), as formats that patch a header
// after its data write it.
template <class File>
class FileOutput final : public io::RandomOutput {
  public:
    explicit FileOutput(File& file) : file_(file) {}
    bool write_at(std::uint64_t offset, const void* data, std::size_t n) override {
        return kept_.Try([&] { file_.WriteAt(offset, data, n); });
    }
    // Ends the file at the current position: whatever lies beyond was written by an attempt
    // that was abandoned (an entry stored after all, or one that failed).
    bool CutHere() {
        return kept_.Try([&] { file_.Truncate(position()); });
    }
    void Rethrow() const { kept_.Rethrow(); }

  private:
    File& file_;
    KeptFailure kept_;
};

}  // namespace quorvex6::backend
