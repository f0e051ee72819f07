#include <isa-l/igzip_lib.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "codecs/deflate/gzip.h"

namespace quorvex6::backend::codecs::deflate {

namespace {

constexpr std::size_t kChunk = 256 << 10;

// ISA-L inflates about three times as fast as zlib, which is most of reading a .tar.gz.
class GzipDecoder final : public Decoder {
  public:
    Status decode(Source& in, std::uint64_t packed_size, std::uint64_t, Sink& out) override {
        // The state is large (tens of KiB): on the heap, not the stack.
        auto state = std::make_unique<inflate_state>();
        isal_inflate_init(state.get());
        state->crc_flag = ISAL_GZIP;
        std::vector<std::uint8_t> input(kChunk), output;  // output only for a sink without room
        std::uint64_t left = packed_size;
        bool in_member = false;
        for (;;) {
            if (state->avail_in == 0) {
                std::ptrdiff_t n =
                    left == 0 ? 0 : in.read(input.data(), std::min<std::uint64_t>(kChunk, left));
                if (n < 0) return Status::kReadFailed;
                if (n == 0) return in_member ? Status::kTruncated : Status::kOk;
                left -= static_cast<std::uint64_t>(n);
                state->next_in = input.data();
                state->avail_in = static_cast<std::uint32_t>(n);
            }
            if (!in_member) {
                // Zero padding between or after members, of any length and across reads, is
                // skipped.
                while (state->avail_in > 0 && *state->next_in == 0) {
                    ++state->next_in;
                    --state->avail_in;
                }
                if (state->avail_in == 0) continue;
                in_member = true;
            }
            // ISA-L keeps its own history, so each call may decode into fresh memory.
            std::uint8_t* room = out.room(kChunk);
            if (room == nullptr && output.empty()) output.resize(kChunk);
            state->next_out = room != nullptr ? room : output.data();
            state->avail_out = static_cast<std::uint32_t>(kChunk);
            if (isal_inflate(state.get()) != ISAL_DECOMP_OK) return Status::kCorrupt;
            std::size_t n = kChunk - state->avail_out;
            if (n > 0 && !(room != nullptr ? out.commit(n) : out.write(output.data(), n)))
                return Status::kWriteFailed;
            if (state->block_state == ISAL_BLOCK_FINISH) {
                in_member = false;
                std::uint8_t* next = state->next_in;
                std::uint32_t avail = state->avail_in;
                isal_inflate_reset(state.get());
                state->crc_flag = ISAL_GZIP;
                state->next_in = next;
                state->avail_in = avail;
            }
        }
    }
};

}  // namespace

std::unique_ptr<Decoder> MakeGzipDecoder() { return std::make_unique<GzipDecoder>(); }

}  // namespace quorvex6::backend::codecs::deflate
