// The LHA reader over arbitrary bytes: the bid, the search for the first header (a damaged one
// too), every header, and each member the reader accepts decoded (bounded).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "formats/lha/lha_format.h"
#include "formats/lha/lha_reader.h"
#include "io/memory.h"

namespace {

using namespace quorvex6::backend;

class BytesInput final : public io::RandomInput {
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lha::Bid(std::span<const std::uint8_t>(data, size));
    BytesInput in(data, size);
    try {
        lha::Reader reader(in, true);
        int members = 0;
        for (const lha::Entry& e : reader.entries()) {
            if (++members > 64) break;
            if (e.original_size > (1u << 20)) continue;
            io::NullSink sink;
            try {
                reader.Decode(e, sink);
            } catch (const io::Error&) {
            }
        }
    } catch (const io::Error&) {
    }
    return 0;
}
