// TAR as the pack job sees it: a writer into a stream, compressed as the archive's name says.
// A stream cannot take bytes back, and TAR is always written anew: there are no kept entries.
#pragma once
#include <exception>
#include <memory>
#include <span>
#include <vector>

#include "common/file_sink.h"
#include "common/file_system.h"
#include "common/jobs/pack_format.h"
#include "formats/tar/tar_compression.h"
#include "formats/tar/tar_writer.h"

namespace quorvex6::backend::tar32 {

// The stream as an output by offset that takes bytes only at its end. Small entries are
// gathered into larger writes: one per entry would cost a system call each.
class StreamOutput final : public io::RandomOutput {
  public:
    explicit StreamOutput(tar::Writer& writer) : writer_(writer) {}
    bool write_at(uint64_t offset, const void* data, size_t n) override;
    // Room at the stream's end for up to `n` bytes (at least one), to be filled by the caller
    // and added with Commit, which also moves the position past them.
    std::span<uint8_t> Room(uint64_t n);
    bool Commit(size_t n);
    bool Flush();
    // The writer's own fault, kept when a write failed.
    void Rethrow() const {
        if (failure_) std::rethrow_exception(failure_);
    }

  private:
    static constexpr size_t kGather = 256 << 10;
    bool Gathered(size_t n);
    bool Pass(const uint8_t* data, size_t n);

    tar::Writer& writer_;
    std::unique_ptr<uint8_t[]> gathered_;  // not zero-filled: only what was put in goes out
    size_t filled_ = 0;
    uint64_t end_ = 0;
    std::exception_ptr failure_;
};

class TarPackWriter final : public jobs::PackWriter {
  public:
    // Throws io::Error kUnknownMethod when the compression cannot be written.
    TarPackWriter(OutputFile& file, tar::Compression compression);

    std::unique_ptr<jobs::EntryEncoder> MakeEncoder() override;
    io::RandomOutput& Archive() override { return stream_; }
    // Reading files is most of the work: on the writing thread, as GNU tar does; the
    // compressors have threads of their own.
    unsigned MaxWorkers() const override { return 0; }
    bool Rewinds() const override { return false; }
    void Placed(std::unique_ptr<jobs::EncodedEntry>, uint64_t) override {}
    void CopyRaw(size_t index) override;
    void Finish() override;
    void CheckArchive() const override;

  private:
    FileSink<OutputFile> sink_;
    tar::Writer writer_;
    StreamOutput stream_;
};

}  // namespace quorvex6::backend::tar32
