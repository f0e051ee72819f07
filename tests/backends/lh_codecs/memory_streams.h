// Source and Sink over memory, for driving codecs in tests.
#pragma once

#include <algorithm>
#include <cstring>
#include <vector>

#include "codecs/codec.h"

namespace quorvex6::backend::codecs::test {

class MemorySource final : public Source {
  public:
    // `step` caps every read, to exercise callers against short reads.
    explicit MemorySource(const std::vector<std::uint8_t>& data, std::size_t step = SIZE_MAX)
        : data_(data), step_(step) {}
    std::ptrdiff_t read(std::uint8_t* out, std::size_t size) override {
        std::size_t n = std::min({size, step_, data_.size() - pos_});
        if (n > 0) std::memcpy(out, data_.data() + pos_, n);
        pos_ += n;
        return static_cast<std::ptrdiff_t>(n);
    }
    std::size_t consumed() const { return pos_; }

  private:
    const std::vector<std::uint8_t>& data_;
    std::size_t step_;
    std::size_t pos_ = 0;
};

class MemorySink final : public Sink {
  public:
    bool write(const std::uint8_t* data, std::size_t size) override {
        bytes.insert(bytes.end(), data, data + size);
        return true;
    }
    std::vector<std::uint8_t> bytes;
};

}  // namespace quorvex6::backend::codecs::test
