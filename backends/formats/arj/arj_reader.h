// An ARJ archive opened for reading: where its main header is (after a self-extractor's
// program, if any), the archive comment, the entries in stored order, and their data decoded
// and checked.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "formats/arj/entry.h"
#include "io/fault.h"
#include "io/random_access.h"
#include "io/stream.h"

namespace quorvex6::backend::arj {

class Reader {
  public:
    // Reads every header of the archive in `in`, which the caller keeps alive. Throws
    // io::Error: kNotArchive when no main header is found, kHeaderChecksum when the only
    // one found at the start is damaged, kRead.
    explicit Reader(io::RandomInput& in);

    const std::vector<Entry>& entries() const { return entries_; }
    const std::string& comment() const { return comment_; }
    // The chapter entries are shown as (0: the archive has no chapters).
    std::uint8_t chapter() const { return chapter_; }
    // The archive goes on in the next volume.
    bool continues() const { return (main_flags_ & kFlagVolume) != 0; }
    std::uint64_t start() const { return start_; }
    // What broke after the last entry read; nullopt when the entries end in the end marker.
    const std::optional<io::Error>& end_error() const { return end_error_; }

    // The entry's data from `in` (this archive, through any handle), decoded and checked
    // against its CRC-32. Throws io::Error: kEncrypted for a garbled entry, kUnknownMethod,
    // kBrokenData, kDataChecksum, kRead, kWrite.
    static void Decode(io::RandomInput& in, const Entry& entry, io::Sink& out);

  private:
    std::uint64_t start_ = 0;
    std::string comment_;
    std::uint8_t main_flags_ = 0;
    std::uint8_t chapter_ = 0;
    std::vector<Entry> entries_;
    std::optional<io::Error> end_error_;
};

}  // namespace quorvex6::backend::arj
