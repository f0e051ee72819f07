// An LHA archive on disk, opened for reading: where its first header is (after a
// self-extractor's program, if any), its members, and how a container status becomes a
// result code.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "common/entry_info.h"
#include "formats/lha/entry.h"
#include "unlha32/file_bytes.h"

namespace quorvex6::unlha32 {

// Self-extractors put the archive behind a program; this much of one is searched for it.
inline constexpr uint64_t kSfxSearchLimit = 1 << 20;

int32_t ResultFor(formats::lha::Status status);

class Archive {
public:
    // Throws 0x8018 when the file cannot be opened, 0x801B when it holds no LHA archive.
    // `search_all` looks for the first header through the whole file.
    explicit Archive(const std::string& path, bool search_all = false);

    FileInput& input() { return *input_; }
    const std::string& path() const { return path_; }
    const std::vector<formats::lha::Entry>& entries() const { return entries_; }
    // ok when the members end in the end marker or at the end of the file; else what broke.
    formats::lha::Status end_status() const { return end_status_; }
    uint64_t start() const { return start_; }
    // What the bytes skipped before the first header tell of a member lost there ("" when
    // nothing): they are no program's, or they hold a damaged header.
    const std::string& start_damage() const { return start_damage_; }

private:
    std::string path_;
    std::unique_ptr<FileInput> input_;
    uint64_t start_ = 0;
    std::string start_damage_;
    std::vector<formats::lha::Entry> entries_;
    formats::lha::Status end_status_ = formats::lha::Status::ok;
};

backend::EntryFacts FactsOf(const formats::lha::Entry& entry);

}  // namespace quorvex6::unlha32
