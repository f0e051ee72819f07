// A Sink that passes everything on and keeps the CRC-32 of what went through.
#pragma once
#include <cstdint>

#include "io/crc32.h"
#include "io/stream.h"

namespace quorvex6::backend::io {

class Crc32Sink final : public Sink {
  public:
    explicit Crc32Sink(Sink& next) : next_(next) {}
    bool write(const std::uint8_t* data, std::size_t size) override {
        crc_ = Crc32(crc_, data, size);
        return next_.write(data, size);
    }
    std::uint32_t crc() const { return crc_; }

  private:
    Sink& next_;
    std::uint32_t crc_ = 0;
};

}  // namespace quorvex6::backend::io
