// A ZIP archive as the shared extraction job reads it. A name stored twice ends as its last
// copy: the earlier copies are not extracted at all.
#pragma once
#include <string>
#include <vector>

#include "common/jobs/extract_job.h"
#include "common/jobs/handle_pool.h"
#include "common/output_log.h"
#include "common/result.h"
#include "formats/zip/zip_reader.h"

namespace quorvex6::backend::unzip32 {

class ZipExtractFormat final : public jobs::ExtractFormat {
  public:
    ZipExtractFormat(const zip::ZipReader& reader, OutputLog& log, ResultKeeper& result);

    bool Next(jobs::ExtractItem& item) override;
    uint64_t Count() const override { return reader_.entries().size(); }
    // Encrypted entries are skipped, noted as 0x8020.
    bool Admit(const jobs::ExtractItem& item) override;
    // A symbolic link's target is its data.
    std::string LinkTarget(const jobs::ExtractItem& item) override;
    jobs::DataPath PathOf(const jobs::ExtractItem&) const override {
        return jobs::DataPath::kAnyThread;
    }
    void Decode(const jobs::ExtractItem& item, io::Sink& sink) override;
    unsigned Threads() const override;

  private:
    const zip::ZipReader& reader_;
    OutputLog& log_;
    ResultKeeper& result_;
    std::vector<bool> superseded_;  // by a later copy of its name
    jobs::HandlePool<zip::MemberDecoders> decoders_{
        [] { return std::make_unique<zip::MemberDecoders>(); }};
    size_t next_ = 0;
};

}  // namespace quorvex6::backend::unzip32
