// The bytes of a TAR archive as it is read: the file itself, or a compressed stream decoded on
// a thread of its own (gzip by our codec, the others by libarchive's filters); the kind is told
// from the content. TarStream buffers them for the header reader.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/byte_pipe.h"

namespace quorvex6::backend::tar {

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Up to `size` bytes; 0 at the end; -1 when the data is broken or cut (after every byte
    // decoded before the damage).
    virtual std::ptrdiff_t Read(uint8_t* data, size_t size) = 0;
    // Passes over `n` bytes without reading them, where the source can.
    enum class Skipped { kDone, kPastEnd, kCannotSkip };
    virtual Skipped Skip(uint64_t) { return Skipped::kCannotSkip; }
    // Lends the idle time of a decoding thread, where the source has one (see BytePipe);
    // false when it has none. nullptr takes the work back.
    virtual bool ShareIdleTime(IdleWork*) { return false; }
    // Reads on from the archive's end blocks to the end of the stream: false when it is broken
    // or cut there. A compressed stream checks itself only at its very end (gzip's CRC-32 and
    // length), after every byte of the archive was handed out.
    virtual bool EndsSound() { return true; }
};

// Throws Failure: 0x8018 when the file cannot be opened, 0x801B when it holds neither a TAR
// archive nor a compression libarchive knows. `method` gets the method text ("-tgz-", ...).
// With `read_ahead`, a plain archive is read on a thread of its own as well, as a compressed
// one is decoded: for a caller that reads every byte anyway, which then gets that thread's
// idle time; without, passing over data seeks.
std::unique_ptr<ByteSource> OpenTarBytes(const std::string& path, std::string& method, bool read_ahead);

class TarStream {
  public:
    static constexpr size_t kBuffer = 256 << 10;
    explicit TarStream(std::unique_ptr<ByteSource> source);

    // Makes up to `n` (at most kBuffer) bytes ready at data(); fewer only at the end of the
    // stream; -1 when the stream is broken.
    std::ptrdiff_t Fill(size_t n);
    const uint8_t* data() const { return buffer_.data() + begin_; }
    size_t ready() const { return end_ - begin_; }
    void Consume(size_t n) { begin_ += n; }
    // False when the stream ends or breaks first.
    bool Skip(uint64_t n);
    bool ShareIdleTime(IdleWork* work) { return source_->ShareIdleTime(work); }
    bool EndsSound() { return source_->EndsSound(); }

  private:
    std::unique_ptr<ByteSource> source_;
    std::vector<uint8_t> buffer_;
    size_t begin_ = 0, end_ = 0;
};

}  // namespace quorvex6::backend::tar
