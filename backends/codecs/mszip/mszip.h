// MSZIP: a folder's data as blocks of at most 32 KiB, each "CK" and one complete raw deflate
// stream that may reach back into the previous block's output (a preset dictionary, which
// libdeflate lacks).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "codecs/codec.h"

struct inflate_state;
struct isal_zstream;
struct z_stream_s;

namespace quorvex6::backend::codecs::mszip {

inline constexpr std::size_t kBlockLimit = 32768;
inline constexpr std::uint8_t kSignature[2] = {'C', 'K'};
// What a block may take: larger compressed blocks are stored instead, as readers expect.
inline constexpr std::size_t kPackedLimit = kBlockLimit + 12;
// Asks the encoder for its own match search, between zlib's levels 5 and 6: with the previous
// block as dictionary, level 6 walks long chains for little gain.
inline constexpr int kDefaultLevel = -1;

// Decodes the blocks of one folder in order; Reset before the next folder.
class BlockDecoder {
  public:
    BlockDecoder();
    ~BlockDecoder();
    BlockDecoder(const BlockDecoder&) = delete;
    BlockDecoder& operator=(const BlockDecoder&) = delete;

    void Reset() { history_.clear(); }
    // `out` is exactly the block's decoded size. Bytes after the deflate stream's final block
    // are ignored, as some writers leave a few.
    Status Decode(std::span<const std::uint8_t> in, std::span<std::uint8_t> out);

  private:
    // ISA-L's inflate: about three times zlib's speed, with the same dictionary.
    std::unique_ptr<inflate_state> state_;
    std::vector<std::uint8_t> history_;  // the last kBlockLimit bytes decoded
};

// Encodes one block, with the previous block's input as dictionary: blocks of a folder depend
// on nothing else, so they may be encoded on separate threads.
class BlockEncoder {
  public:
    explicit BlockEncoder(int level);  // zlib's 1..9, or kDefaultLevel
    ~BlockEncoder();
    BlockEncoder(const BlockEncoder&) = delete;
    BlockEncoder& operator=(const BlockEncoder&) = delete;

    // `in` at most kBlockLimit bytes; `out` becomes the block's payload, "CK" included.
    void Encode(std::span<const std::uint8_t> in, std::span<const std::uint8_t> dictionary,
                std::vector<std::uint8_t>& out);

  private:
    // Each false when the block would outgrow kPackedLimit.
    bool Deflate(std::span<const std::uint8_t> in, std::span<const std::uint8_t> dictionary,
                 std::vector<std::uint8_t>& out);
    bool DeflateFast(std::span<const std::uint8_t> in, std::span<const std::uint8_t> dictionary,
                     std::vector<std::uint8_t>& out);

    z_stream_s* stream_;
    bool tuned_;
    // For blocks that look random, where zlib's search finds next to nothing in six times
    // ISA-L's time.
    std::unique_ptr<isal_zstream> fast_;
    std::vector<std::uint8_t> fast_memory_;  // what its level works in
};

}  // namespace quorvex6::backend::codecs::mszip
