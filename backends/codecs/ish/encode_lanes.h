// The blocks of one file encoded on one or two threads ("lanes"). Each lane reads a batch of
// blocks, encodes it and writes its text; the lanes take turns at reading and at writing, so the
// text keeps the file's order while one lane's encoding overlaps the other's reading and
// writing, the part no second thread can share.
#pragma once

#include <cstdint>

#include "codecs/ish/payload.h"
#include "codecs/ish/text_out.h"
#include "codecs/ish/variant.h"

namespace quorvex6::backend::codecs::ish {

struct EncodeWork {
    const Layout& layout;
    Variant variant;
    Payload& payload;
    TextOut& text;
    std::uint64_t lines;  // data lines still due
};

// False when reading or writing failed: payload.status() or text.status() says which. A second
// lane runs only when `two_lanes` and a thread can be had. Whatever a lane throws is rethrown
// here once both have stopped.
bool EncodeBlocks(EncodeWork& work, bool two_lanes);

}  // namespace quorvex6::backend::codecs::ish
