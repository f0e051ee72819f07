// One LH-family decoder (QV_FUZZ_LH_METHOD) over arbitrary bytes: the first three bytes give the
// declared size (bounded), the rest is the packed stream.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "codecs/codec.h"

namespace {

class BytesSource final : public quorvex6::backend::codecs::Source {
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

class CountingSink final : public quorvex6::backend::codecs::Sink {
  public:
    bool write(const std::uint8_t*, std::size_t size) override {
        total += size;
        return true;
    }
    std::size_t total = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    std::uint64_t unpacked =
        (static_cast<std::uint64_t>(data[0]) << 16 | data[1] << 8 | data[2]) & 0xfffff;
    static const auto* method = quorvex6::backend::codecs::FindMethod(QV_FUZZ_LH_METHOD);
    auto decoder = method->make_decoder();
    BytesSource in(data + 3, size - 3);
    CountingSink out;
    quorvex6::backend::codecs::Status s = decoder->decode(in, size - 3, unpacked, out);
    if (s == quorvex6::backend::codecs::Status::kOk && out.total != unpacked) __builtin_trap();
    return 0;
}
