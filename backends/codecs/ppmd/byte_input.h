// Where a PPMd range decoder takes its bytes from: the container's packed stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace quorvex6::backend::codecs::ppmd {

class ByteInput {
  public:
    virtual ~ByteInput() = default;
    virtual int next_byte() = 0;  // 0..255, or -1 past the end
};

// Bytes already in memory.
class SpanInput : public ByteInput {
  public:
    explicit SpanInput(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    int next_byte() override { return at_ < bytes_.size() ? bytes_[at_++] : -1; }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

// A range decoder's view of its input: zeros past the end, as encoders flush fewer bytes than
// decoders read ahead, and a note that it went there.
class CoderInput {
  public:
    explicit CoderInput(ByteInput& in) : in_(in) {}
    std::uint32_t Next() {
        const int byte = in_.next_byte();
        if (byte >= 0) return static_cast<std::uint32_t>(byte);
        past_end_ = true;
        return 0;
    }
    bool past_end() const { return past_end_; }

  private:
    ByteInput& in_;
    bool past_end_ = false;
};

}  // namespace quorvex6::backend::codecs::ppmd
