// A run of blocks encoded as one piece of work: their payload taken from the Payload, their
// check lines computed, every line turned into text, and the text handed to the TextOut.
// Reading and writing must keep the file's order; encoding may run on any thread.
#pragma once

#include <cstdint>
#include <vector>

#include "codecs/ish/check_lines.h"
#include "codecs/ish/payload.h"
#include "codecs/ish/text_out.h"
#include "codecs/ish/variant.h"

namespace quorvex6::backend::codecs::ish {

class Batch {
  public:
    static constexpr std::size_t kBlocks = 64;

    explicit Batch(const Layout& layout);

    // Takes the payload of up to kBlocks blocks out of the `lines` data lines still due; false
    // with payload.status() when the Source fails.
    bool Read(Payload& payload, std::uint64_t& lines);
    // Every line of the blocks read, one after another without line ends.
    void Encode(Variant v);
    // False with text.status() when the Sink fails.
    bool Write(TextOut& text) const;
    bool Empty() const { return blocks_ == 0; }

  private:
    void Put(Variant v, Row& row);

    const Layout& layout_;
    std::vector<Grid> grids_;
    std::vector<std::size_t> data_lines_;
    std::size_t blocks_ = 0;
    std::vector<std::uint8_t> text_;
    std::size_t lines_ = 0;
};

}  // namespace quorvex6::backend::codecs::ish
