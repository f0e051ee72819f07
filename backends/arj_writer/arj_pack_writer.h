// ARJ as the pack job sees it: the entries of the archive being replaced, and a writer that
// begins the new archive with its main header, packs new entries and copies kept ones raw.
#pragma once
#include <memory>
#include <vector>

#include "common/file_sink.h"
#include "common/file_system.h"
#include "common/jobs/pack_format.h"
#include "common/pack_sources.h"
#include "formats/arj/arj_reader.h"
#include "formats/arj/header_writer.h"

namespace quorvex6::backend::arj_writer {

// How new entries are written.
struct EntryStyle {
    std::uint8_t host = arj::kHostUnix;
    std::uint8_t method = 1;
};

// The entry a source item becomes: a file, or with its target a link; DOS hosts get the
// archive attribute (and read-only when the owner may not write).
arj::Entry NewEntry(const SourceItem& item, const EntryStyle& style);

class ArjOldArchive final : public jobs::OldArchive {
  public:
    explicit ArjOldArchive(const arj::Reader* archive);  // nullptr: there is none
    const std::vector<jobs::OldEntry>& Entries() const override { return entries_; }

  private:
    std::vector<jobs::OldEntry> entries_;
};

class ArjPackWriter final : public jobs::PackWriter {
  public:
    // Writes the main header at once. `old` and `old_bytes` are the archive being replaced,
    // both nullptr when there is none.
    ArjPackWriter(OutputFile& file, const arj::ArchiveFacts& facts, const EntryStyle& style,
                  const arj::Reader* old, io::RandomInput* old_bytes);

    std::unique_ptr<jobs::EntryEncoder> MakeEncoder() override;
    io::RandomOutput& Archive() override { return out_; }
    unsigned MaxWorkers() const override { return jobs::kEveryProcessor; }
    bool Rewinds() const override { return true; }
    void Placed(std::unique_ptr<jobs::EncodedEntry>, uint64_t) override {}
    void CopyRaw(size_t index) override;
    void Finish() override;
    void CheckArchive() const override { out_.Rethrow(); }

  private:
    FileOutput<OutputFile> out_;
    EntryStyle style_;
    const arj::Reader* old_;
    io::RandomInput* old_bytes_;
};

}  // namespace quorvex6::backend::arj_writer
