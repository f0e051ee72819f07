// The stored bytes of one entry of a container read by offset, and no more.
#pragma once
#include <algorithm>
#include <cstdint>

#include "io/random_access.h"
#include "io/stream.h"

namespace quorvex6::backend::io {

class RangeSource final : public Source {
  public:
    RangeSource(RandomInput& input, std::uint64_t offset, std::uint64_t size)
        : input_(input), offset_(offset), left_(size) {}
    std::ptrdiff_t read(std::uint8_t* data, std::size_t size) override {
        auto n = static_cast<std::size_t>(std::min<std::uint64_t>(size, left_));
        if (n == 0) return 0;
        std::ptrdiff_t got = input_.read_at(offset_, data, n);
        if (got < 0) return got;
        offset_ += static_cast<std::uint64_t>(got);
        left_ -= static_cast<std::uint64_t>(got);
        return got;
    }

  private:
    RandomInput& input_;
    std::uint64_t offset_;
    std::uint64_t left_;
};

}  // namespace quorvex6::backend::io
