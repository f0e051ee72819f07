// One record as one line of text, and back, in each variant's alphabet. A record is read as a
// little-endian bit stream (bit k is bit k%8 of byte k/8).
#pragma once

#include <cstddef>
#include <cstdint>

#include "codecs/ish/variant.h"

namespace quorvex6::backend::codecs::ish {

// Writes LayoutOf(v).text characters for the LayoutOf(v).record bytes of `record`. Non-kana text
// holds byte 0 (the line number) in one character: it must be below 91.
void EncodeLine(Variant v, const std::uint8_t* record, std::uint8_t* text);

// Fills LayoutOf(v).record bytes from a line of `length` characters; false when the line is not
// of this variant (length, a character outside its alphabet, a group out of range). Says
// nothing of the record's CRC.
bool DecodeLine(Variant v, const std::uint8_t* text, std::size_t length, std::uint8_t* record);

}  // namespace quorvex6::backend::codecs::ish
