// The lines of a text read from a Source, as the decoder wants them: without their line end,
// without control characters (so CR LF, CR-less and ESC-coloured text all read alike), without
// trailing blanks. A line longer than kMaxLine can be no line of ours and is skipped whole.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "codecs/codec.h"

namespace quorvex6::backend::codecs::ish {

inline constexpr std::size_t kMaxLine = 2048;

class TextLines {
  public:
    explicit TextLines(Source& in);

    // The next line, valid until the next call; nullopt at the end of the text or after a read
    // error (status()).
    std::optional<std::span<const std::uint8_t>> next();
    Status status() const { return status_; }

  private:
    bool refill();
    void append(const std::uint8_t* p, std::size_t n);

    Source& in_;
    std::vector<std::uint8_t> buffer_;
    std::size_t pos_ = 0, end_ = 0;
    std::vector<std::uint8_t> line_;  // a line that is cut across reads or holds control characters
    bool overlong_ = false;
    bool at_end_ = false;
    Status status_ = Status::kOk;
};

}  // namespace quorvex6::backend::codecs::ish
