// A cabinet as the shared extraction job reads it. Files are decoded on the command's thread
// in stored order: a compressed folder is one stream, and its files are read as it goes on.
// A file alone in its folder (as in cabinets packed a folder a file) is decoded on the pool,
// beside the others. Folders of a few MiB that files share are decoded whole on threads of
// their own, a few ahead. Of the files sharing a folder, small ones are decoded into memory and
// made on the pool meanwhile, as making them costs more than decoding them; large ones go
// straight into their file.
#pragma once
#include <vector>

#include "common/jobs/extract_job.h"
#include "formats/cab/cab_folder_prefetch.h"
#include "formats/cab/cab_reader.h"

namespace quorvex6::backend::cab32 {

class CabExtractFormat final : public jobs::ExtractFormat {
  public:
    // The reader's inputs are read on several threads at once (as ArchiveInput allows).
    explicit CabExtractFormat(const cab::CabReader& reader);

    bool Next(jobs::ExtractItem& item) override;
    uint64_t Count() const override { return reader_.entries().size(); }
    jobs::DataPath PathOf(const jobs::ExtractItem& item) const override;
    void Decode(const jobs::ExtractItem& item, io::Sink& sink) override;
    unsigned Threads() const override;

  private:
    const cab::CabReader& reader_;
    cab::EntryDecoder decoder_;  // the command thread's, for large folders that files share
    cab::FolderPrefetch prefetch_;
    std::vector<bool> alone_;  // by entry: the only file with data in its folder
    size_t next_ = 0;
};

}  // namespace quorvex6::backend::cab32
