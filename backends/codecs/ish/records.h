// Lines of text as records: a header line or a data line of one variant, its CRC checked.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "codecs/ish/variant.h"

namespace quorvex6::backend::codecs::ish {

struct Record {
    std::array<std::uint8_t, kMaxRecord> bytes{};
    std::size_t length = 0;
    std::size_t number() const { return bytes[0]; }
};

// A header record: line number 0, as JIS7 text (starting with '!') or JIS8 text ('#'),
// whatever variant its data lines use.
bool ReadHeaderLine(std::span<const std::uint8_t> text, Record& out);

// A data line of `v`, numbered as a block's lines can be: 1..payload(), vertical() or
// diagonal().
bool ReadDataLine(std::span<const std::uint8_t> text, Variant v, Record& out);

}  // namespace quorvex6::backend::codecs::ish
