// The one shape every compression codec has, whatever container uses it.
//
// Contract, for every codec in this folder:
// - A decoder pulls at most `packed_size` bytes from its Source and pushes exactly
//   `unpacked_size` bytes to its Sink, in chunks of any size; it never reads past the member.
// - An encoder pulls its Source until it answers 0 and pushes the compressed stream to its Sink;
//   it stops early with Status::expanded once it has written more than `limit` bytes, so that
//   a container can store the member instead without compressing it twice in full.
// - Neither flushes or closes the Source or Sink: the caller owns both.
// - A codec object holds only its own state (windows, tables) and bounded memory; separate
//   objects may run concurrently on separate threads, one object never on two at once.
// - Corrupt input gives Status::corrupt or Status::truncated, never a crash or a hang.
#ifndef QV_CODECS_CODEC_H
#define QV_CODECS_CODEC_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace quorvex6::codecs {

enum class Status { ok, corrupt, truncated, read_failed, write_failed, expanded };

class Source {
public:
    virtual ~Source() = default;
    // Up to `size` bytes into `data`; 0 at the end; negative on a read error.
    virtual std::ptrdiff_t read(std::uint8_t* data, std::size_t size) = 0;
};

class Sink {
public:
    virtual ~Sink() = default;
    // All `size` bytes or false.
    virtual bool write(const std::uint8_t* data, std::size_t size) = 0;
    // Optional, for a sink that keeps what it gets in memory: room for `size` bytes that a
    // codec may decode straight into and hand over with commit(), saving a copy; nullptr when
    // the sink has none (then write() is the way).
    virtual std::uint8_t* room(std::size_t) { return nullptr; }
    // Hands over the first `size` bytes of the room; false as for write().
    virtual bool commit(std::size_t) { return false; }
    // `size` zero bytes, for a sink that can pass over them instead (a file, leaving a hole, so
    // that a sparse file takes no room for them); false as for write().
    virtual bool hole(std::uint64_t size) {
        static constexpr std::uint8_t kZeros[4096] = {};
        for (std::uint64_t done = 0; done < size;) {
            std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof kZeros, size - done));
            if (!write(kZeros, n)) return false;
            done += n;
        }
        return true;
    }
};

class Decoder {
public:
    virtual ~Decoder() = default;
    virtual Status decode(Source& in, std::uint64_t packed_size, std::uint64_t unpacked_size,
                          Sink& out) = 0;
};

class Encoder {
public:
    virtual ~Encoder() = default;
    virtual Status encode(Source& in, Sink& out, std::uint64_t limit) = 0;
};

// One row of the method table. `id` is the container's own name for the method
// ("lh5" for LHA's "-lh5-"); a row without an encoder is read-only.
struct Method {
    std::string_view id;
    std::unique_ptr<Decoder> (*make_decoder)();
    std::unique_ptr<Encoder> (*make_encoder)();
};

// The row for `id`, or nullptr when no codec here knows it.
const Method* find_method(std::string_view id);

}  // namespace quorvex6::codecs

#endif
