// Raw deflate (RFC 1951) for containers that store deflate streams (ZIP, gzip members).
// Small members go through libdeflate in one buffer (several times faster than zlib); members
// above kWholeBufferLimit stream through zlib, so memory stays bounded whatever the size. The
// encoder compresses large members in chunks on two threads, each chunk primed with the last
// 32 KiB of the one before and ended by a sync flush, so the chunks join into one stream.
#ifndef QV_CODECS_DEFLATE_DEFLATE_H
#define QV_CODECS_DEFLATE_DEFLATE_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "codecs/codec.h"

struct libdeflate_compressor;

namespace quorvex6::codecs::deflate {

inline constexpr std::size_t kWholeBufferLimit = 4 << 20;

std::unique_ptr<Decoder> make_decoder();
std::unique_ptr<Encoder> make_encoder(int level);  // 1..9

// One buffer into another, for packers that already hold a member in memory (ZIP's parallel
// packer, gzip members). Keep one per thread: making one costs more than compressing a small file.
class BufferCompressor {
public:
    explicit BufferCompressor(int level);  // 1..12 (libdeflate's levels)
    ~BufferCompressor();
    BufferCompressor(const BufferCompressor&) = delete;
    BufferCompressor& operator=(const BufferCompressor&) = delete;
    // `out` is resized to the compressed size.
    void compress(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out);

private:
    ::libdeflate_compressor* handle_;
};

}  // namespace quorvex6::codecs::deflate

#endif
