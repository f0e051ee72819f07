// What unzip32's command does with an archive besides extracting: list as text, test.
#pragma once
#include <string>
#include <vector>

#include "common/output_log.h"
#include "formats/zip/zip_reader.h"

namespace quorvex6::backend::unzip32 {

// Two heading lines, one line per entry (name, original size, compressed size, ratio, date,
// time, attributes, method, check value), then a line of hyphens with the totals.
std::string TextListing(const zip::ZipReader& reader);

// Decodes every entry without writing it; the first failure's code, 0 when all check out.
int32_t TestEntries(const zip::ZipReader& reader, OutputLog& log);

}  // namespace quorvex6::backend::unzip32
