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
#include "formats/tar/tar_format.h"
#include "io/random_access.h"

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

// The archive's bytes from `input`, which must outlive the source. Throws io::Error kNotArchive
// when it holds neither a TAR archive nor a compression libarchive knows. `method` gets the
// method text ("-tgz-", ...). A plain archive is read where it is asked for, passing over data
// by seeking.
std::unique_ptr<ByteSource> OpenTarBytes(io::RandomInput& input, std::string& method);

class TarStream {
  public:
    static constexpr size_t kBuffer = 256 << 10;
    explicit TarStream(std::unique_ptr<ByteSource> source);

    // Makes up to `n` (at most kBuffer) bytes ready at data(); fewer only at the end of the
    // stream; -1 when the stream is broken.
    std::ptrdiff_t Fill(size_t n);
    const uint8_t* data() const { return buffer_.data() + begin_; }
    // The block at data(), once Fill(kBlock) made one ready.
    BlockView block() const { return BlockView(data(), kBlock); }
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
    // Data was passed over where it lies: the reader walks the headers, and reading ahead would
    // copy the data it passes over. Reading a header's worth at a time ends once data is read.
    bool passing_over_ = false;
};

}  // namespace quorvex6::backend::tar
