// An ARJ archive as the shared extraction job reads it: entries in stored order, each decoded
// on any thread through a read handle of its own.
#pragma once
#include <string>

#include "common/file_input.h"
#include "common/jobs/extract_job.h"
#include "common/jobs/handle_pool.h"
#include "common/output_log.h"
#include "unarj32j/archive.h"

namespace quorvex6::backend::unarj32j {

class ArjExtractFormat final : public jobs::ExtractFormat {
  public:
    // `folders`: folder entries are made (else skipped, as their files land in one folder).
    ArjExtractFormat(const Archive& archive, bool folders, OutputLog& log);

    bool Next(jobs::ExtractItem& item) override;
    uint64_t Count() const override { return archive_.entries().size(); }
    // Labels pass silently, FIFOs and devices with a log line; garbled entries (0x800A),
    // unknown methods and files missing a volume fail here, before anything is made.
    bool Admit(const jobs::ExtractItem& item) override;
    bool ReportsFolders() const override { return false; }
    jobs::DataPath PathOf(const jobs::ExtractItem&) const override {
        return jobs::DataPath::kAnyThread;
    }
    void Decode(const jobs::ExtractItem& item, io::Sink& sink) override;
    unsigned Threads() const override;

  private:
    const Archive& archive_;
    bool folders_;
    OutputLog& log_;
    size_t next_ = 0;
    jobs::HandlePool<VolumeInputs> inputs_;
};

}  // namespace quorvex6::backend::unarj32j
