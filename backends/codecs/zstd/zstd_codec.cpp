#include <zstd.h>

#include <algorithm>
#include <vector>

#include "codecs/zstd/zstd.h"

namespace quorvex6::backend::codecs::zstd {

namespace {

// The stream's length is its own: sizes are not known ahead (packed_size bounds the input only).
class ZstdDecoder final : public Decoder {
  public:
    Status decode(Source& in, std::uint64_t packed_size, std::uint64_t, Sink& out) override {
        std::unique_ptr<ZSTD_DCtx, decltype(&ZSTD_freeDCtx)> context(ZSTD_createDCtx(),
                                                                     ZSTD_freeDCtx);
        if (!context) return Status::kCorrupt;
        std::vector<std::uint8_t> input(ZSTD_DStreamInSize()), buffer;
        const std::size_t piece = std::max<std::size_t>(ZSTD_DStreamOutSize(), 256 << 10);
        ZSTD_inBuffer from{input.data(), 0, 0};
        std::uint64_t left = packed_size;
        std::size_t pending = 0;  // of the last frame: 0 once it ended and was flushed
        bool any = false, flushed = true;
        for (;;) {
            // A full output may leave decoded bytes inside the library: take them before reading
            // on.
            if (from.pos == from.size && flushed) {
                std::ptrdiff_t n =
                    left == 0 ? 0
                              : in.read(input.data(), std::min<std::uint64_t>(input.size(), left));
                if (n < 0) return Status::kReadFailed;
                if (n == 0) return pending != 0 || !any ? Status::kTruncated : Status::kOk;
                left -= static_cast<std::uint64_t>(n);
                from = {input.data(), static_cast<std::size_t>(n), 0};
            }
            any = true;
            // Straight into the sink's room where it has one, saving a copy.
            std::uint8_t* room = out.room(piece);
            if (room == nullptr) {
                buffer.resize(piece);
                room = buffer.data();
            }
            ZSTD_outBuffer to{room, piece, 0};
            pending = ZSTD_decompressStream(context.get(), &to, &from);
            if (ZSTD_isError(pending)) return Status::kCorrupt;
            flushed = to.pos < to.size;
            if (to.pos == 0) continue;
            bool written = room == buffer.data() ? out.write(room, to.pos) : out.commit(to.pos);
            if (!written) return Status::kWriteFailed;
        }
    }
};

class ZstdEncoder final : public Encoder {
  public:
    Status encode(Source& in, Sink& out, std::uint64_t limit) override {
        std::unique_ptr<ZSTD_CCtx, decltype(&ZSTD_freeCCtx)> context(ZSTD_createCCtx(),
                                                                     ZSTD_freeCCtx);
        if (!context) return Status::kWriteFailed;
        ZSTD_CCtx_setParameter(context.get(), ZSTD_c_compressionLevel, 3);
        ZSTD_CCtx_setParameter(context.get(), ZSTD_c_checksumFlag, 1);
        ZSTD_CCtx_setParameter(context.get(), ZSTD_c_nbWorkers,
                               2);  // refused by a library built without threads
        std::vector<std::uint8_t> input(ZSTD_CStreamInSize()), output(ZSTD_CStreamOutSize());
        std::uint64_t written = 0;
        for (bool last = false; !last;) {
            std::ptrdiff_t n = in.read(input.data(), input.size());
            if (n < 0) return Status::kReadFailed;
            last = n == 0;
            ZSTD_inBuffer from{input.data(), static_cast<std::size_t>(n), 0};
            for (std::size_t left = 1; last ? left != 0 : from.pos < from.size;) {
                ZSTD_outBuffer to{output.data(), output.size(), 0};
                left = ZSTD_compressStream2(context.get(), &to, &from,
                                            last ? ZSTD_e_end : ZSTD_e_continue);
                if (ZSTD_isError(left)) return Status::kWriteFailed;
                if (to.pos > 0 && !out.write(output.data(), to.pos)) return Status::kWriteFailed;
                written += to.pos;
                if (written > limit) return Status::kExpanded;
            }
        }
        return Status::kOk;
    }
};

}  // namespace

std::unique_ptr<Decoder> MakeDecoder() { return std::make_unique<ZstdDecoder>(); }
std::unique_ptr<Encoder> MakeEncoder() { return std::make_unique<ZstdEncoder>(); }

}  // namespace quorvex6::backend::codecs::zstd
