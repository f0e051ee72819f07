// A RAR archive on disk with the volumes it goes on in, opened for reading through the format's
// VolumeSet, and what the listing makes of its entries.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "common/entry_info.h"
#include "formats/rar/volume_set.h"

namespace quorvex6::backend::unrar32 {

class Archive {
  public:
    // Throws 0x8018 when the file cannot be opened, 0x801B when it holds no RAR archive,
    // 0x800A when its headers are encrypted, 0x8016 / 0x8017 for a damaged main header.
    explicit Archive(const std::string& path);

    const std::string& path() const { return set_->paths().front(); }
    const std::vector<std::string>& volumes() const { return set_->paths(); }
    const std::vector<rar::JoinedEntry>& entries() const { return set_->entries(); }
    const std::optional<io::Error>& end_error() const { return set_->end_error(); }
    // The earlier entry a file copy takes its data from; nullptr when there is none.
    const rar::JoinedEntry* CopySource(std::size_t index) const;

  private:
    std::optional<rar::VolumeSet> set_;
};

// The listing record's facts. Methods read "m0" (stored) .. "m5" (best), as rar's -m switch
// names them, "m?" for any other, and "PPMd" for a RAR 3.x file whose first block is PPMd (the
// one byte read from `volume`); a UNIX host's entry is read-only when its owner may not write
// it, any other's by its attributes. A RAR 5 file version N is listed as "name;N".
EntryFacts FactsOf(const rar::JoinedEntry& joined, const rar::VolumeSet::VolumeInput& volume);

}  // namespace quorvex6::backend::unrar32
