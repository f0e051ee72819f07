// Where the bytes of a TAR archive being written go: straight into the sink, into our gzip or
// zstd codec (with its content checksum) on a thread of its own, or through libarchive's bzip2,
// xz or compress filter. Ends the stream as each needs: plain and gzip archives are
// padded to whole 10240-byte records, the others end right after the end blocks (padding would
// be trailing garbage to those tools).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "formats/tar/tar_compression.h"
#include "io/stream.h"

namespace quorvex6::backend::tar {

class TarOutput {
  public:
    TarOutput(io::Sink& sink, Compression compression);
    ~TarOutput();
    TarOutput(const TarOutput&) = delete;
    TarOutput& operator=(const TarOutput&) = delete;

    // Throws io::Error kWrite when the sink refuses bytes or the compressor fails (a sink that
    // knows why keeps its reason for the caller).
    void Write(const void* data, size_t size);
    // Writes the end blocks and the padding, then waits for the compressor.
    void Finish();

    class Stream;

  private:
    std::unique_ptr<Stream> stream_;
    uint64_t written_ = 0;
    bool pad_records_;
};

}  // namespace quorvex6::backend::tar
