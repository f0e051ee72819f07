// LHA as the pack job sees it: the members of the archive being replaced, and a writer that
// packs new members with one method and copies kept ones raw.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "common/file_sink.h"
#include "common/file_system.h"
#include "common/jobs/pack_format.h"
#include "common/pack_sources.h"
#include "formats/lha/entry.h"
#include "formats/lha/lha_writer.h"
#include "unlha32/archive.h"

namespace quorvex6::backend::unlha32 {

// The member a source item becomes (folders end in '/').
backend::lha::Entry NewEntry(const backend::SourceItem& item);

class LhaOldArchive final : public backend::jobs::OldArchive {
  public:
    explicit LhaOldArchive(const Archive* archive);  // nullptr: there is none
    const std::vector<backend::jobs::OldEntry>& Entries() const override { return entries_; }

  private:
    std::vector<backend::jobs::OldEntry> entries_;
};

class LhaPackWriter final : public backend::jobs::PackWriter {
  public:
    LhaPackWriter(backend::OutputFile& file, unlha32::Archive* old, std::string method);

    std::unique_ptr<backend::jobs::EntryEncoder> MakeEncoder() override;
    backend::io::RandomOutput& Archive() override { return out_; }
    unsigned MaxWorkers() const override { return backend::jobs::kEveryProcessor; }
    bool Rewinds() const override { return true; }
    void Placed(std::unique_ptr<backend::jobs::EncodedEntry>, uint64_t) override {}
    void CopyRaw(size_t index) override;
    void Finish() override;
    void CheckArchive() const override { out_.Rethrow(); }

  private:
    backend::FileOutput<backend::OutputFile> out_;
    backend::lha::Writer writer_;
    unlha32::Archive* old_;
    std::string method_;
};

}  // namespace quorvex6::backend::unlha32
