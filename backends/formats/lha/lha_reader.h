// An LHA archive opened for reading: where its first header is (after a self-extractor's
// program, if any), its members in stored order, and their data decoded or copied raw.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "formats/lha/entry.h"
#include "io/fault.h"
#include "io/random_access.h"
#include "io/stream.h"

namespace quorvex6::backend::lha {

class Reader {
  public:
    // Reads every header of the archive in `in`, which the caller keeps alive. `search_all`
    // looks for the first header through the whole input, not only kSfxSearchLimit bytes.
    // Throws io::Error: kNotArchive when it holds no LHA archive, kBrokenHeader when the only
    // header found is damaged (its member is lost), kRead.
    explicit Reader(io::RandomInput& in, bool search_all = false);

    io::RandomInput& input() { return in_; }
    const std::vector<Entry>& entries() const { return entries_; }
    // What broke after the last member read; nullopt when the members end in the end marker or
    // at the end of the input.
    const std::optional<io::Error>& end_error() const { return end_error_; }
    std::uint64_t start() const { return start_; }
    // What the bytes skipped before the first header tell of a member lost there ("" when
    // nothing): they are no program's, or they hold a damaged header.
    const std::string& start_damage() const { return start_damage_; }

    // The entry's data, decoded and checked (see DecodeMember).
    void Decode(const Entry& entry, io::Sink& out);
    // Its header and data as stored, at out.position() (see CopyMember).
    void CopyRaw(const Entry& entry, io::RandomOutput& out);

  private:
    io::RandomInput& in_;
    std::uint64_t start_ = 0;
    std::string start_damage_;
    std::vector<Entry> entries_;
    std::optional<io::Error> end_error_;
};

}  // namespace quorvex6::backend::lha
