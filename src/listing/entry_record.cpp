#include "listing/entry_record.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "control/error_reporting.h"
#include "listing/column_format.h"
#include "platform/codepage.h"

namespace quorvex6::listing {
namespace {

// Offsets of the fields the listing reads.
constexpr size_t kOriginalSize = 0, kCompressedSize = 4, kCrc = 8, kRatio = 20, kDate = 22,
                 kTime = 24, kName = 26, kAttribute = 542, kMethod = 550, kTextWidth = 8;
static_assert(offsetof(QvEntryInfo, original_size) == kOriginalSize);
static_assert(offsetof(QvEntryInfo, compressed_size) == kCompressedSize);
static_assert(offsetof(QvEntryInfo, crc) == kCrc);
static_assert(offsetof(QvEntryInfo, ratio_per_mille) == kRatio);
static_assert(offsetof(QvEntryInfo, dos_date) == kDate);
static_assert(offsetof(QvEntryInfo, dos_time) == kTime);
static_assert(offsetof(QvEntryInfo, name) == kName);
static_assert(offsetof(QvEntryInfo, attribute) == kAttribute);
static_assert(offsetof(QvEntryInfo, method) == kMethod);

uint16_t Read16(RecordBytes record, size_t at) {
    return static_cast<uint16_t>(record[at] | record[at + 1] << 8);
}

uint32_t Read32(RecordBytes record, size_t at) {
    return static_cast<uint32_t>(record[at]) | static_cast<uint32_t>(record[at + 1]) << 8 |
           static_cast<uint32_t>(record[at + 2]) << 16 |
           static_cast<uint32_t>(record[at + 3]) << 24;
}

// The bytes of a text field up to its first NUL, or all of them when it has none.
std::string_view FieldAt(RecordBytes record, size_t at, size_t width) {
    const auto field = record.subspan(at, width);
    const auto nul = std::find(field.begin(), field.end(), 0);
    return {reinterpret_cast<const char*>(field.data()), static_cast<size_t>(nul - field.begin())};
}

std::u16string TextAt(RecordBytes record, size_t at, size_t width) {
    return platform::FromSystem(FieldAt(record, at, width));
}

}  // namespace

std::u16string StoredNameOf(RecordBytes record) {
    const std::string_view name = FieldAt(record, kName, QV_ENTRY_NAME_SIZE);
    if (name.size() == QV_ENTRY_NAME_SIZE) {
        throw TrappedFailure(u"The archiver reported a stored name without its terminating NUL.");
    }
    return platform::FromSystem(name);
}

void FormatColumns(RecordBytes record, ListingEntry& entry) {
    // Sizes are unsigned: entries of 2 GiB to 4 GiB are real and must not print negative.
    entry.OrgSize = FormatSize(Read32(record, kOriginalSize));
    entry.PackedSize = FormatSize(Read32(record, kCompressedSize));
    entry.Ratio = FormatRatio(static_cast<int16_t>(Read16(record, kRatio)));
    entry.Date = FormatDosDate(Read16(record, kDate));
    entry.Time = FormatDosTime(Read16(record, kTime));
    entry.Attr = FormatAttributes(TextAt(record, kAttribute, kTextWidth));
    entry.Type = FormatMethod(TextAt(record, kMethod, kTextWidth));
    entry.CRC = FormatCrc(Read32(record, kCrc));
}

}  // namespace quorvex6::listing
