// Every LH-family decoder over arbitrary bytes: the first byte picks the method, the next three
// the declared size (bounded), the rest is the packed stream.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "codecs/codec.h"

namespace {

class BytesSource final : public quorvex6::codecs::Source {
public:
    BytesSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::ptrdiff_t read(std::uint8_t* out, std::size_t n) override {
        std::size_t k = n < size_ - pos_ ? n : size_ - pos_;
        std::memcpy(out, data_ + pos_, k);
        pos_ += k;
        return static_cast<std::ptrdiff_t>(k);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

class CountingSink final : public quorvex6::codecs::Sink {
public:
    bool write(const std::uint8_t*, std::size_t size) override {
        total += size;
        return true;
    }
    std::size_t total = 0;
};

const char* const kMethods[] = {"lh0", "lz4", "lh1", "lh4", "lh5", "lh6", "lh7", "lzs", "lz5"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const char* id = kMethods[data[0] % (sizeof kMethods / sizeof kMethods[0])];
    std::uint64_t unpacked = (static_cast<std::uint64_t>(data[1]) << 16 | data[2] << 8 | data[3]) & 0xfffff;
    auto decoder = quorvex6::codecs::find_method(id)->make_decoder();
    BytesSource in(data + 4, size - 4);
    CountingSink out;
    quorvex6::codecs::Status s = decoder->decode(in, size - 4, unpacked, out);
    if (s == quorvex6::codecs::Status::ok && out.total != unpacked) __builtin_trap();
    return 0;
}
