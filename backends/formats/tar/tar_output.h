// Where the bytes of a TAR archive being written go: straight into the file, into our gzip
// codec on a thread of its own, through zstd's library (with its content checksum) or through
// libarchive's bzip2 or xz filter. Ends the stream as each needs: plain and gzip archives are
// padded to whole 10240-byte records, the others end right after the end blocks (padding would
// be trailing garbage to those tools).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "common/file_system.h"
#include "formats/tar/tar_compression.h"

namespace quorvex6::backend::tar {

class TarOutput {
  public:
    TarOutput(OutputFile& file, Compression compression);
    ~TarOutput();
    TarOutput(const TarOutput&) = delete;
    TarOutput& operator=(const TarOutput&) = delete;

    // Throws Failure (0x8005 on a full disk, else 0x8013).
    void Write(const void* data, size_t size);
    // Writes the end blocks and the padding, then waits for the compressor.
    void Finish();

    class Stream;

  private:
    std::unique_ptr<Stream> stream_;
    uint64_t written_ = 0;
    bool pad_records_ = true;
};

}  // namespace quorvex6::backend::tar
