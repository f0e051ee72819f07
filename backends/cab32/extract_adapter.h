// A cabinet as the shared extraction job reads it. Files are decoded on the command's thread
// in stored order: a compressed folder is one stream, and its files are read as it goes on.
#pragma once
#include "common/jobs/extract_job.h"
#include "formats/cab/cab_reader.h"

namespace quorvex6::backend::cab32 {

class CabExtractFormat final : public jobs::ExtractFormat {
  public:
    explicit CabExtractFormat(const cab::CabReader& reader) : reader_(reader), decoder_(reader) {}

    bool Next(jobs::ExtractItem& item) override;
    uint64_t Count() const override { return reader_.entries().size(); }
    jobs::DataPath PathOf(const jobs::ExtractItem&) const override { return jobs::DataPath::kHere; }
    void Decode(const jobs::ExtractItem& item, io::Sink& sink) override;

  private:
    const cab::CabReader& reader_;
    cab::EntryDecoder decoder_;
    size_t next_ = 0;
};

}  // namespace quorvex6::backend::cab32
