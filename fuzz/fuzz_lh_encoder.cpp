// The LH-family encoders over arbitrary bytes, each result decoded again: the first byte picks
// the method, the second how often the rest is repeated (long inputs move the window and go
// through segments on threads), the third how many bytes each read hands the encoder.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "codecs/codec.h"

namespace {

using quorvex6::backend::codecs::Status;

class BytesSource final : public quorvex6::backend::codecs::Source {
  public:
    BytesSource(const std::vector<std::uint8_t>& data, std::size_t step)
        : data_(data), step_(step) {}
    std::ptrdiff_t read(std::uint8_t* out, std::size_t n) override {
        const std::size_t k = std::min({n, step_, data_.size() - pos_});
        if (k == 0) return 0;
        std::memcpy(out, data_.data() + pos_, k);
        pos_ += k;
        return static_cast<std::ptrdiff_t>(k);
    }

  private:
    const std::vector<std::uint8_t>& data_;
    std::size_t step_;
    std::size_t pos_ = 0;
};

class BytesSink final : public quorvex6::backend::codecs::Sink {
  public:
    bool write(const std::uint8_t* data, std::size_t size) override {
        bytes.insert(bytes.end(), data, data + size);
        return true;
    }
    std::vector<std::uint8_t> bytes;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    static const char* const kMethods[] = {"lh5", "lh6", "lh7", "arj1"};
    const auto* method = quorvex6::backend::codecs::FindMethod(kMethods[data[0] % 4]);
    const std::size_t repeats = 1 + data[1] % 64;
    const std::size_t step = data[2] == 0 ? SIZE_MAX : std::size_t{data[2]} * 97;
    std::vector<std::uint8_t> input;
    for (std::size_t r = 0; r < repeats && input.size() < (std::size_t{3} << 20); ++r)
        input.insert(input.end(), data + 3, data + size);

    BytesSource source(input, step);
    BytesSink packed;
    if (method->make_encoder()->encode(source, packed, UINT64_MAX) != Status::kOk) __builtin_trap();
    std::vector<std::uint8_t> packed_bytes = std::move(packed.bytes);
    BytesSource again(packed_bytes, SIZE_MAX);
    BytesSink unpacked;
    if (method->make_decoder()->decode(again, packed_bytes.size(), input.size(), unpacked) !=
            Status::kOk ||
        unpacked.bytes != input)
        __builtin_trap();
    return 0;
}
