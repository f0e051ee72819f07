// Lines of text as records: a header line or a data line of one variant, its CRC checked.
#ifndef QV_CODECS_ISH_RECORDS_H
#define QV_CODECS_ISH_RECORDS_H

#include <array>
#include <cstdint>
#include <span>

#include "codecs/ish/variant.h"

namespace quorvex6::codecs::ish {

struct Record {
    std::array<std::uint8_t, kMaxRecord> bytes{};
    std::size_t length = 0;
    std::size_t number() const { return bytes[0]; }
};

// A header record: line number 0, as JIS7 text (starting with '!') or JIS8 text ('#'),
// whatever variant its data lines use.
bool read_header_line(std::span<const std::uint8_t> text, Record& out);

// A data line of `v`, numbered as a block's lines can be: 1..payload(), vertical() or
// diagonal().
bool read_data_line(std::span<const std::uint8_t> text, Variant v, Record& out);

}  // namespace quorvex6::codecs::ish

#endif
