// A TAR stream as the shared extraction job reads it. Entries come one at a time and their data
// only right after them: a small file is read into memory and written on the job's pool, with
// the decoder's idle time lent to it; anything else is written here as it is read.
#pragma once
#include <string>

#include "common/jobs/extract_job.h"
#include "common/output_log.h"
#include "formats/tar/tar_reader.h"
#include "tar32/space_budget.h"

namespace quorvex6::backend::tar32 {

class TarExtractFormat final : public jobs::ExtractFormat {
  public:
    // Larger files are written as they are read, so memory stays bounded.
    static constexpr uint64_t kMaxBufferedFile = 1 << 20;

    TarExtractFormat(tar::TarReader& reader, OutputLog& log, std::string folder)
        : reader_(reader), log_(log), space_(std::move(folder)) {}

    bool Next(jobs::ExtractItem& item) override;
    // Devices, pipes and the like are skipped with a line.
    bool Admit(const jobs::ExtractItem& item) override;
    // Fails with 0x8005 when the file cannot fit the free space.
    void BeforeFile(const jobs::ExtractItem& item) override;
    jobs::DataPath PathOf(const jobs::ExtractItem& item) const override;
    void Decode(const jobs::ExtractItem& item, io::Sink& sink) override;
    void LendIdleTime(IdleWork* work) override;

  private:
    tar::TarReader& reader_;
    OutputLog& log_;
    SpaceBudget space_;
    tar::TarEntry entry_;
    size_t index_ = 0;
    bool lent_ = false;
};

}  // namespace quorvex6::backend::tar32
