// Random-access bytes in and out, as the LHA container needs them: archives are read by
// offset, and a member's header is written before its data and patched afterwards.
#ifndef QV_FORMATS_LHA_BYTE_IO_H
#define QV_FORMATS_LHA_BYTE_IO_H

#include <cstddef>
#include <cstdint>

namespace quorvex6::formats::lha {

class ByteInput {
public:
    virtual ~ByteInput() = default;
    virtual std::uint64_t size() const = 0;
    // Up to n bytes at offset (fewer only at the end); negative on a read error.
    virtual std::ptrdiff_t read_at(std::uint64_t offset, void* data, std::size_t n) = 0;
};

class ByteOutput {
public:
    virtual ~ByteOutput() = default;
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

}  // namespace quorvex6::formats::lha

#endif
