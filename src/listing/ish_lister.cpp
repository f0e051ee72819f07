#include <string>

#include "archivers/bindings.h"
#include "control/error_reporting.h"
#include "listing/column_format.h"
#include "listing/listing_table.h"
#include "listing/text_listers.h"
#include "listing/text_listing.h"
#include "platform/codepage.h"
#include "quorvex6/result_codes.h"

namespace quorvex6::listing {
namespace {

using text::Peel;

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The leading decimal number of text, spaces skipped wherever they stand, rounded to a whole
// number and formatted "#,###"; no number reads as 0 and so as "". Kept as digits: the number
// may be longer than any integer type.
std::u16string LeadingSize(std::u16string_view text) {
    size_t i = 0;
    const auto skipSpaces = [&] {
        while (i < text.size() && text[i] == u' ') ++i;
    };
    skipSpaces();
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
    std::u16string digits = u"0";  // room for a carry
    for (skipSpaces(); i < text.size() && IsDigit(text[i]); skipSpaces())
        digits.push_back(text[i++]);
    if (i < text.size() && text[i] == u'.') {
        ++i;
        skipSpaces();
        if (i < text.size() && IsDigit(text[i]) && text[i] >= u'5') {
            size_t at = digits.size();
            while (digits[--at] == u'9') digits[at] = u'0';
            ++digits[at];
        }
    }
    return FormatDigits(digits, negative);
}

}  // namespace

int32_t ParseIshListing(std::u16string_view buffer, int16_t& count) {
    const std::u16string prepared = text::PreparedText(buffer);
    text::Lines lines(prepared);
    for (int heading = 0; heading < text::kMaxEntries; ++heading) {
        if (text::IsSeparator(lines.Take())) break;
    }
    while (count < text::kMaxEntries) {
        std::u16string_view name = lines.TakeTrimmed();
        if (text::IsSeparator(name)) break;
        if (name.empty()) {
            name = lines.TakeTrimmed();
            if (text::IsSeparator(name)) break;
        }
        ListingEntry& entry = GrowTo(count);
        SetStoredName(entry, std::u16string(name));
        std::u16string_view detail = lines.TakeTrimmed();
        if (text::IsSeparator(detail)) break;
        entry.CRC.clear();
        entry.Type = Peel(detail);
        entry.Attr.clear();
        entry.Time = Peel(detail);
        entry.Date = Peel(detail);
        entry.Ratio.clear();
        entry.PackedSize.clear();
        entry.OrgSize = LeadingSize(detail);
        CountEntry(count);
    }
    return result::kSuccess;
}

int32_t ListIsh(const std::u16string& archive, int16_t& count) {
    return RunTrapped(
        [&] {
            RestartListing(count);
            const auto list = archivers::Bind<archivers::Shape::IshFileList>(
                archivers::Library::ish32, "IshFileList");
            const std::string name = platform::ToSystem(archive);
            std::string output(text::kBufferSize, '\0');
            const int32_t code =
                list(name.c_str(), output.data(), static_cast<uint16_t>(text::kBufferSize));
            if (code != 0) return code;
            return ParseIshListing(platform::FromSystem(output), count);
        },
        result::kTrapped);
}

}  // namespace quorvex6::listing
