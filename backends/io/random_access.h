// Archives read and written by offset: a reader seeks to each member's header and data, and a
// writer patches a member's header once its data is written.
#pragma once
#include <cstddef>
#include <cstdint>

namespace quorvex6::backend::io {

class RandomInput {
  public:
    virtual ~RandomInput() = default;
    virtual std::uint64_t size() const = 0;
    // Up to n bytes at offset (fewer only at the end); negative on a read error.
    virtual std::ptrdiff_t read_at(std::uint64_t offset, void* data, std::size_t n) = 0;
};

class RandomOutput {
  public:
    virtual ~RandomOutput() = default;
    virtual bool write_at(std::uint64_t offset, const void* data, std::size_t n) = 0;

    // Sequential writing on top of write_at; seek() takes the position back, as when a member
    // that grew under compression is stored instead.
    bool write(const void* data, std::size_t n) {
        if (!write_at(position_, data, n)) return false;
        position_ += n;
        return true;
    }
    std::uint64_t position() const { return position_; }
    void seek(std::uint64_t position) { position_ = position; }

  private:
    std::uint64_t position_ = 0;
};

}  // namespace quorvex6::backend::io
