// ISH text is untrusted: every file of it decoded, whatever its lines claim.
#include <cstddef>
#include <cstdint>

#include "codecs/ish/ish.h"
#include "fuzz_ish_lines.h"

namespace {

using namespace quorvex6::backend::codecs;

class CountingSink final : public Sink {
  public:
    bool write(const std::uint8_t*, std::size_t size) override {
        total += size;
        return true;
    }
    std::uint64_t total = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> text = ish::fuzz::text_from(data, size);
    ish::fuzz::TextSource in(text, 4093);
    ish::Reader reader(in);
    while (std::optional<ish::FileInfo> info = reader.next()) {
        CountingSink out;
        Status s = reader.decode(out);
        // A file decoded whole is exactly the size its header gives, and text never shrinks.
        if (s == Status::kOk && out.total != info->size) __builtin_trap();
        if (out.total > text.size()) __builtin_trap();
    }
    return 0;
}
