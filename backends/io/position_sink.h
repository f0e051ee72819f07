// A codec's sink that writes at an output's position, as a container written by offset does.
#pragma once
#include <cstddef>
#include <cstdint>

#include "io/random_access.h"
#include "io/stream.h"

namespace quorvex6::backend::io {

class PositionSink final : public Sink {
  public:
    explicit PositionSink(RandomOutput& out) : out_(out) {}
    bool write(const std::uint8_t* data, std::size_t size) override {
        return out_.write(data, size);
    }

  private:
    RandomOutput& out_;
};

}  // namespace quorvex6::backend::io
