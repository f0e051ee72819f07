// Raw deflate (RFC 1951) for containers that store deflate streams (ZIP, gzip members).
// Encoding goes through libdeflate (several times faster than zlib): members up to
// kWholeBufferLimit in one buffer, larger ones in 2 MiB chunks compressed two at a time on two
// threads and joined into one stream (deflate_join.h), so memory stays bounded whatever the
// size. Decoding: small members through libdeflate in one buffer, larger ones stream through zlib.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "codecs/codec.h"

struct libdeflate_compressor;

namespace quorvex6::backend::codecs::deflate {

inline constexpr std::size_t kWholeBufferLimit = 4 << 20;

std::unique_ptr<Decoder> MakeDecoder();
std::unique_ptr<Encoder> MakeEncoder(int level);  // 1..9

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

}  // namespace quorvex6::backend::codecs::deflate
