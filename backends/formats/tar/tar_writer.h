// Writes a TAR archive into a sink, compressed as asked: entries one after another (header
// blocks, then the data padded to a block), then the end blocks.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "formats/tar/tar_compression.h"
#include "formats/tar/tar_header.h"
#include "formats/tar/tar_output.h"
#include "io/stream.h"

namespace quorvex6::backend::tar {

class Writer {
  public:
    // Throws io::Error kUnknownMethod when the compression cannot be written.
    Writer(io::Sink& sink, Compression compression) : out_(sink, compression) {}

    // An entry whose data (`fields.size` bytes, files only) comes from `data`. Throws io::Error
    // kRead when the source fails or ends early; whatever the source throws passes through.
    void Add(const HeaderFields& fields, io::Source& data);
    // An entry without data: a folder or a link.
    void Add(const HeaderFields& fields);
    // Whole entries laid out by the caller (AppendHeader, data, PaddingAfter), as when a batch
    // of small files is read straight into its place.
    void AddLaidOut(const uint8_t* bytes, size_t size) { out_.Write(bytes, size); }
    // The end blocks, and the compressor's end. Every write throws io::Error kWrite when the sink
    // refuses bytes (a sink that knows why keeps its reason for the caller).
    void Finish() { out_.Finish(); }

  private:
    static constexpr size_t kChunk = 1 << 20;
    TarOutput out_;
    std::vector<uint8_t> buffer_;
};

}  // namespace quorvex6::backend::tar
