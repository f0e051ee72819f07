// An ARJ archive on disk, opened for reading through the format's Reader, and what the
// listing makes of its entries.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/entry_info.h"
#include "common/file_input.h"
#include "formats/arj/arj_reader.h"

namespace quorvex6::backend::unarj32j {

class Archive {
  public:
    // Throws 0x8018 when the file cannot be opened, 0x801B when it holds no ARJ archive, 0x8016
    // when its main header's CRC disagrees.
    explicit Archive(const std::string& path);

    const std::string& path() const { return path_; }
    const std::vector<arj::Entry>& entries() const { return reader_->entries(); }
    const std::optional<io::Error>& end_error() const { return reader_->end_error(); }

  private:
    std::string path_;
    std::unique_ptr<FileInput> input_;
    std::optional<arj::Reader> reader_;
};

// The listing record's facts. Methods read "Stored" (0) and "Method1" .. "Method4"; a UNIX
// host's entry is read-only when its owner may not write it, any other's by its attributes.
EntryFacts FactsOf(const arj::Entry& entry);

}  // namespace quorvex6::backend::unarj32j
