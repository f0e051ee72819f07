// The three things unzip32's command does with an archive: extract, list as text, test.
#pragma once
#include <string>
#include <vector>

#include "common/extract_target.h"
#include "common/name_selection.h"
#include "common/output_log.h"
#include "common/progress.h"
#include "common/result.h"
#include "formats/zip/zip_reader.h"

namespace quorvex6::backend::unzip32 {

void ExtractEntries(const zip::ZipReader& reader, NameSelection& names, ExtractTarget& target,
                    OutputLog& log, ResultKeeper& result, Progress& progress);

// Two heading lines, one line per entry (name, original size, compressed size, ratio, date,
// time, attributes, method, check value), then a line of hyphens with the totals.
std::string TextListing(const zip::ZipReader& reader);

// Decodes every entry without writing it; the first failure's code, 0 when all check out.
int32_t TestEntries(const zip::ZipReader& reader, OutputLog& log);

}  // namespace quorvex6::backend::unzip32
