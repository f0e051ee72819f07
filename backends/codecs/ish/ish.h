// ISH, the text encoding of old mail and bulletin boards: a file becomes lines of printable
// text, each a record with its own CRC, and every block of lines ends with a vertical and a
// diagonal check line that together rebuild any two lost lines of the block.
//
// Encoding writes one file (header written three times, the blocks, the title lines); several
// encodings into one Sink make one text holding several files. Decoding reads any text: it
// takes the files one by one, in any of the four variants whatever their header names, and
// ignores every line that does not decode. Both use bounded memory whatever the size.
#pragma once

#include <memory>

#include "codecs/codec.h"
#include "codecs/ish/file_info.h"
#include "codecs/ish/reader.h"
#include "codecs/ish/variant.h"

namespace quorvex6::backend::codecs::ish {

// Encodes the `info.size` bytes its Source gives as the text of one file, in `info.variant`.
// Status::kTruncated when the Source ends early, Status::kCorrupt when it gives more.
std::unique_ptr<Encoder> MakeEncoder(const FileInfo& info);

}  // namespace quorvex6::backend::codecs::ish
