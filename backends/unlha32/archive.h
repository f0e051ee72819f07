// An LHA archive on disk, opened for reading through the format's Reader, and what the
// listing makes of its entries.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/entry_info.h"
#include "common/file_input.h"
#include "formats/lha/lha_reader.h"

namespace quorvex6::backend::unlha32 {

class Archive {
  public:
    // Throws 0x8018 when the file cannot be opened, 0x801B when it holds no LHA archive, 0x8017
    // when its only header is damaged. `search_all` looks for the first header through the
    // whole file.
    explicit Archive(const std::string& path, bool search_all = false);

    backend::lha::Reader& reader() { return *reader_; }
    const std::string& path() const { return path_; }
    const std::vector<backend::lha::Entry>& entries() const { return reader_->entries(); }
    const std::optional<backend::io::Error>& end_error() const { return reader_->end_error(); }
    const std::string& start_damage() const { return reader_->start_damage(); }

  private:
    std::string path_;
    std::unique_ptr<backend::FileInput> input_;
    std::optional<backend::lha::Reader> reader_;
};

backend::EntryFacts FactsOf(const backend::lha::Entry& entry);

}  // namespace quorvex6::backend::unlha32
