// The text of one encoded file as it goes to the Sink: lines gathered and passed on in large
// pieces, a title line at every 50th physical line and one at the end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "codecs/codec.h"
#include "codecs/ish/file_info.h"
#include "codecs/ish/first_line.h"

namespace quorvex6::backend::codecs::ish {

class TextOut {
  public:
    // Status::kExpanded once more than `limit` bytes were written.
    TextOut(Sink& out, std::uint64_t limit, const FileInfo& info);

    // Room for one line of `n` characters, given back with end_line().
    std::uint8_t* line_room(std::size_t n);
    bool end_line();
    bool line(const std::string& s);
    bool finish();
    Status status() const { return status_; }

  private:
    void title();
    bool flush();

    Sink& out_;
    std::uint64_t limit_;
    TitleFrame title_;
    std::vector<std::uint8_t> buffer_;
    std::size_t used_ = 0;
    std::size_t room_ = 0;
    std::uint64_t physical_ = 0;
    std::uint64_t written_ = 0;
    bool last_was_title_ = false;
    Status status_ = Status::kOk;
};

}  // namespace quorvex6::backend::codecs::ish
