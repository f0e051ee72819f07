// RAR as the pack job sees it: the entries of the archive being replaced, and a writer that
// begins the new archive with its main header, stores new entries and copies kept ones raw.
#pragma once
#include <memory>
#include <vector>

#include "common/buffered_output.h"
#include "common/file_system.h"
#include "common/jobs/pack_format.h"
#include "common/pack_sources.h"
#include "formats/rar/entry.h"
#include "formats/rar/rar5_writer.h"

namespace quorvex6::backend::rar_writer {

// The entry a source item becomes: a file, a folder or a symlink, with a UNIX mode.
rar::NewEntry NewEntryOf(const SourceItem& item);

class RarOldArchive final : public jobs::OldArchive {
  public:
    explicit RarOldArchive(const rar::Volume* archive);  // nullptr: there is none
    const std::vector<jobs::OldEntry>& Entries() const override { return entries_; }

  private:
    std::vector<jobs::OldEntry> entries_;
};

class RarPackWriter final : public jobs::PackWriter {
  public:
    // Writes the signature, main header and the old archive's comment at once. `old` and
    // `old_bytes` are the archive being replaced, both nullptr when there is none.
    RarPackWriter(OutputFile& file, const rar::Volume* old, io::RandomInput* old_bytes);

    std::unique_ptr<jobs::EntryEncoder> MakeEncoder() override;
    io::RandomOutput& Archive() override { return out_; }
    // Storing is reading and copying: handing bytes to workers would only cost.
    unsigned MaxWorkers() const override { return 0; }
    bool Rewinds() const override { return true; }
    void Placed(std::unique_ptr<jobs::EncodedEntry>, uint64_t) override {}
    void CopyRaw(size_t index) override;
    void Finish() override;
    void CheckArchive() const override { out_.Rethrow(); }

  private:
    BufferedFileOutput<OutputFile> out_;
    const rar::Volume* old_;
    io::RandomInput* old_bytes_;
};

}  // namespace quorvex6::backend::rar_writer
