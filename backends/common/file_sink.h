// Where the libraries let a codec write: into a file of the shared file calls (OutputFile,
// PendingFile), or into memory. The file calls throw Failure while a codec speaks status codes,
// so FileSink keeps the first Failure and the caller rethrows it once the codec has returned: a
// full disk stays 0x8005, not a write error.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "codecs/codec.h"
#include "common/result.h"

namespace quorvex6::backend {

template <class File>
class FileSink final : public quorvex6::codecs::Sink {
  public:
    explicit FileSink(File& file) : file_(file) {}
    bool write(const std::uint8_t* data, std::size_t size) override {
        return Kept([&] { file_.Write(data, size); });
    }
    // A file that can pass over bytes gets a hole.
    bool hole(std::uint64_t size) override {
        if constexpr (requires { file_.Skip(size); })
            return Kept([&] { file_.Skip(size); });
        else
            return Sink::hole(size);
    }
    // Throws the kept Failure, if any.
    void Rethrow() const {
        if (error_) throw *error_;
    }

  private:
    // Runs one file call, keeping its Failure; false when it failed.
    template <class Call>
    bool Kept(Call call) {
        try {
            call();
            return true;
        } catch (const Failure& f) {
            if (!error_) error_ = f;
            return false;
        }
    }

    File& file_;
    std::optional<Failure> error_;
};

// A codec's Sink into memory: the caller's vector, emptied first.
class VectorSink final : public quorvex6::codecs::Sink {
  public:
    explicit VectorSink(std::vector<uint8_t>& out) : out_(out) { out_.clear(); }
    bool write(const std::uint8_t* data, std::size_t size) override {
        out_.insert(out_.end(), data, data + size);
        return true;
    }

  private:
    std::vector<uint8_t>& out_;
};

}  // namespace quorvex6::backend
