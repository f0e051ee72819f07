// Writes an LHA archive member by member at the output's position: new members from their
// data, kept ones copied raw from the archive being replaced, then the end marker.
#pragma once
#include <string>

#include "formats/lha/entry.h"
#include "formats/lha/lha_reader.h"
#include "io/random_access.h"

namespace quorvex6::backend::lha {

class Writer {
  public:
    // `method` ("lh0", "lh1", "lh5", "lh6", "lh7") for every new member that compression makes
    // smaller; the others are stored.
    Writer(io::RandomOutput& out, std::string method) : out_(out), method_(std::move(method)) {}

    // Begins a member whose name, time, mode and kind `entry` holds, and writes its data read
    // from `data` (nullptr for a folder or link). Fills in method, sizes, CRC and offsets.
    // The data must be readable by offset: a member stored after all reads it again.
    void Add(Entry& entry, io::RandomInput* data);
    // A member of `from` byte for byte.
    void CopyRaw(Reader& from, const Entry& entry) { from.CopyRaw(entry, out_); }
    // The end marker.
    void Finish();

  private:
    io::RandomOutput& out_;
    std::string method_;
};

}  // namespace quorvex6::backend::lha
