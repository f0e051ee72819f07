// A RAR archive as the shared extraction job reads it: entries in stored order, each decoded
// on any thread through read handles of its own, except in an archive with solid streams:
// there compressed files are decoded on the command's thread in stored order through one
// SolidStream, which decodes the files the job skips (not selected, not newer) into nothing.
#pragma once
#include <string>

#include "common/jobs/extract_job.h"
#include "common/jobs/handle_pool.h"
#include "common/output_log.h"
#include "common/volume_inputs.h"
#include "formats/rar/solid_stream.h"
#include "unrar32/archive.h"

namespace quorvex6::backend::unrar32 {

class RarExtractFormat final : public jobs::ExtractFormat {
  public:
    // `folders`: folder entries are made (else skipped, as their files land in one folder).
    RarExtractFormat(const Archive& archive, bool folders, OutputLog& log);

    bool Next(jobs::ExtractItem& item) override;
    uint64_t Count() const override { return archive_.entries().size(); }
    // Junctions pass with a log line; encrypted entries (0x800A), methods without a decoder
    // (0x8009), files missing a volume (0x802D) and copies of nothing fail here, before
    // anything is made.
    bool Admit(const jobs::ExtractItem& item) override;
    // A RAR 4 symlink's target is its data.
    std::string LinkTarget(const jobs::ExtractItem& item) override;
    bool ReportsFolders() const override { return false; }
    jobs::DataPath PathOf(const jobs::ExtractItem& item) const override;
    // A file copy writes the data of the entry it copies.
    void Decode(const jobs::ExtractItem& item, io::Sink& sink) override;
    unsigned Threads() const override;

  private:
    const rar::JoinedEntry& DataOf(std::size_t index) const;

    const Archive& archive_;
    bool folders_;
    OutputLog& log_;
    size_t next_ = 0;
    jobs::HandlePool<VolumeInputs> inputs_;
    bool solid_;  // some entry continues a solid stream
    VolumeInputs stream_inputs_;
    rar::SolidStream stream_;
};

}  // namespace quorvex6::backend::unrar32
