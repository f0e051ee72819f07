// An LHA archive as the shared extraction job reads it: members in stored order, each decoded
// on any thread through a read handle of its own.
#pragma once
#include <string>

#include "common/file_input.h"
#include "common/jobs/extract_job.h"
#include "common/jobs/handle_pool.h"
#include "unlha32/archive.h"

namespace quorvex6::backend::unlha32 {

class LhaExtractFormat final : public backend::jobs::ExtractFormat {
  public:
    // `folders`: folder members are made (else skipped, as their files land in one folder).
    LhaExtractFormat(Archive& archive, bool folders);

    bool Next(backend::jobs::ExtractItem& item) override;
    uint64_t Count() const override { return archive_.entries().size(); }
    // Unknown methods and sizes the data cannot hold fail here, before anything is made.
    bool Admit(const backend::jobs::ExtractItem& item) override;
    std::string LinkTarget(const backend::jobs::ExtractItem& item) override;
    bool ReportsFolders() const override { return false; }
    backend::jobs::DataPath PathOf(const backend::jobs::ExtractItem&) const override {
        return backend::jobs::DataPath::kAnyThread;
    }
    void Decode(const backend::jobs::ExtractItem& item, backend::io::Sink& sink) override;
    unsigned Threads() const override;

  private:
    Archive& archive_;
    bool folders_;
    size_t next_ = 0;
    backend::jobs::HandlePool<backend::FileInput> inputs_;
};

}  // namespace quorvex6::backend::unlha32
