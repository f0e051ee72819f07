// The two byte-stream shapes every room below the libraries speaks: codecs pull a Source and
// push a Sink; formats hand entries' data out and take it in the same way.
//
// Neither flushes nor closes: whoever made the object owns it. A Source or Sink serves one
// thread at a time.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace quorvex6::backend::io {

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
            auto n = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof kZeros, size - done));
            if (!write(kZeros, n)) return false;
            done += n;
        }
        return true;
    }
};

}  // namespace quorvex6::backend::io
