// ZIP as the pack job sees it: the entries of the archive being replaced, and a writer whose
// encoders deflate a file when that makes it smaller (else store it) and whose kept entries go
// over byte for byte.
#pragma once
#include <memory>
#include <optional>
#include <vector>

#include "common/file_sink.h"
#include "common/file_system.h"
#include "common/jobs/pack_format.h"
#include "formats/zip/zip_reader.h"
#include "formats/zip/zip_writer.h"

namespace quorvex6::backend::zip32j {

// Files up to this size are read whole and compressed in memory; larger ones stream.
inline constexpr uint64_t kSmallFile = 4 << 20;

class ZipOldArchive final : public jobs::OldArchive {
  public:
    explicit ZipOldArchive(const zip::ZipReader* reader);  // nullptr: there is none
    const std::vector<jobs::OldEntry>& Entries() const override { return entries_; }

  private:
    std::vector<jobs::OldEntry> entries_;
};

class ZipPackWriter final : public jobs::PackWriter {
  public:
    // `level` 0 stores everything.
    ZipPackWriter(OutputFile& file, const zip::ZipReader* old, int level);

    std::unique_ptr<jobs::EntryEncoder> MakeEncoder() override;
    io::RandomOutput& Archive() override { return out_; }
    unsigned MaxWorkers() const override { return jobs::kEveryProcessor; }
    bool Rewinds() const override { return true; }
    void Placed(std::unique_ptr<jobs::EncodedEntry> encoded, uint64_t offset) override;
    void CopyRaw(size_t index) override;
    void Finish() override;
    void CheckArchive() const override { out_.Rethrow(); }

  private:
    FileOutput<OutputFile> out_;
    zip::ZipWriter writer_;
    const zip::ZipReader* old_;
    int level_;
};

}  // namespace quorvex6::backend::zip32j
