// The LHA header reader over arbitrary bytes, the search for a damaged first header, and each
// member the reader accepts decoded (bounded).
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "formats/lha/header_reader.h"
#include "formats/lha/member_io.h"

namespace {

using namespace quorvex6::formats::lha;

class BytesInput final : public ByteInput {
public:
    BytesInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint64_t size() const override { return size_; }
    std::ptrdiff_t read_at(std::uint64_t offset, void* out, std::size_t n) override {
        if (offset >= size_) return 0;
        std::size_t k = n < size_ - offset ? n : static_cast<std::size_t>(size_ - offset);
        std::memcpy(out, data_ + offset, k);
        return static_cast<std::ptrdiff_t>(k);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

class NullSink final : public quorvex6::codecs::Sink {
public:
    bool write(const std::uint8_t*, std::size_t) override { return true; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    BytesInput in(data, size);
    find_damaged_header(in, size, size);
    std::uint64_t at = 0;
    for (int members = 0; members < 64; ++members) {
        Entry e;
        if (read_header(in, at, e) != Status::ok) break;
        if (e.original_size <= (1u << 20)) {
            NullSink sink;
            extract_member(in, e, sink);
        }
        if (e.next_offset() <= at) break;
        at = e.next_offset();
    }
    return 0;
}
