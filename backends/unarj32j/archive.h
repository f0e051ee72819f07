// An ARJ archive on disk with the volumes it goes on in, opened for reading through the
// format's VolumeSet, and what the listing makes of its entries.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/entry_info.h"
#include "common/file_input.h"
#include "common/volume_inputs.h"
#include "formats/arj/volume_set.h"

namespace quorvex6::backend::unarj32j {

class Archive {
  public:
    // Throws 0x8018 when the file cannot be opened, 0x801B when it holds no ARJ archive, 0x8016
    // when its main header's CRC disagrees.
    explicit Archive(const std::string& path);

    const std::string& path() const { return set_->paths().front(); }
    const std::vector<std::string>& volumes() const { return set_->paths(); }
    const std::vector<arj::JoinedEntry>& entries() const { return set_->entries(); }
    const std::optional<io::Error>& end_error() const { return set_->end_error(); }

  private:
    std::optional<arj::VolumeSet> set_;
};

// The listing record's facts. Methods read "-m0-" .. "-m4-", as arj's switches name them (the
// control shows five characters); a UNIX host's entry is read-only when its owner may not
// write it, any other's by its attributes.
EntryFacts FactsOf(const arj::JoinedEntry& joined);

}  // namespace quorvex6::backend::unarj32j
