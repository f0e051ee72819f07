// The three ways `list` prints a listing: an aligned table with a header and a total line,
// CSV with a header row, or a JSON array of objects keyed by the listing's field names.
#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex::cli {

// The ten columns in the order of the control's listing entry.
enum Column { kFileName, kPath, kOrgSize, kPackedSize, kRatio, kDate, kTime, kAttr, kType, kCrc };
inline constexpr std::array<std::string_view, 10> kColumnNames = {
    "FileName", "Path", "OrgSize", "PackedSize", "Ratio", "Date", "Time", "Attr", "Type", "CRC"};

using ListingRow = std::array<std::string, 10>;  // UTF-8, indexed by Column

std::string FormatTable(const std::vector<ListingRow>& rows);
std::string FormatCsv(const std::vector<ListingRow>& rows);
std::string FormatJson(const std::vector<ListingRow>& rows);

}  // namespace quorvex::cli
