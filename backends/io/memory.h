// Sources and sinks over memory, and the sink that keeps nothing (testing an archive).
#pragma once
#include <cstring>
#include <span>
#include <vector>

#include "io/random_access.h"
#include "io/stream.h"

namespace quorvex6::backend::io {

// Reads the bytes of a span the caller keeps alive.
class MemorySource final : public Source {
  public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::ptrdiff_t read(std::uint8_t* data, std::size_t size) override {
        std::size_t n = std::min(size, bytes_.size() - at_);
        if (n != 0) std::memcpy(data, bytes_.data() + at_, n);
        at_ += n;
        return static_cast<std::ptrdiff_t>(n);
    }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

// Reads by offset from a span the caller keeps alive.
class MemoryInput final : public RandomInput {
  public:
    explicit MemoryInput(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    std::ptrdiff_t read_at(std::uint64_t offset, void* data, std::size_t n) override {
        if (offset >= bytes_.size()) return 0;
        n = std::min<std::size_t>(n, bytes_.size() - static_cast<std::size_t>(offset));
        if (n != 0) std::memcpy(data, bytes_.data() + offset, n);
        return static_cast<std::ptrdiff_t>(n);
    }

  private:
    std::span<const std::uint8_t> bytes_;
};

// Appends to the caller's vector, emptied first.
class VectorSink final : public Sink {
  public:
    explicit VectorSink(std::vector<std::uint8_t>& out) : out_(out) { out_.clear(); }
    bool write(const std::uint8_t* data, std::size_t size) override {
        out_.insert(out_.end(), data, data + size);
        return true;
    }

  private:
    std::vector<std::uint8_t>& out_;
};

class NullSink final : public Sink {
  public:
    bool write(const std::uint8_t*, std::size_t) override { return true; }
    bool hole(std::uint64_t) override { return true; }
};

}  // namespace quorvex6::backend::io
