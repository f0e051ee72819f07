#include "archivers/bindings.h"
#include "control/error_reporting.h"
#include "control/module_state.h"
#include "listing/listing_table.h"
#include "listing/text_listers.h"
#include "listing/text_listing.h"
#include "quorvex6/result_codes.h"

namespace quorvex6::listing {

using text::Peel;

int32_t ParseZipTextListing(std::u16string_view buffer, int16_t& count) {
    const std::u16string prepared = text::PreparedText(buffer);
    text::Lines lines(prepared);
    while (count < text::kMaxEntries) {
        std::u16string_view line = lines.Take();
        if (text::IsSeparator(line)) break;
        ListingEntry& entry = GrowTo(count);
        entry.CRC = Peel(line);
        entry.Type = Peel(line);
        entry.Attr = Peel(line);
        entry.Time = Peel(line);
        entry.Date = Peel(line);
        entry.Ratio = Peel(line);
        entry.PackedSize = Peel(line);
        entry.OrgSize = Peel(line);
        SetStoredName(entry, std::u16string(text::Trim(line)));
        CountEntry(count);
    }
    return result::kSuccess;
}

int32_t ListZipText(const std::u16string& archive, int16_t& count) {
    return RunTrapped(
        [&] {
            RestartListing(count);
            // The name goes unquoted: the library takes everything after "-l " as the name.
            const std::u16string command = u"-l " + archive;
            std::u16string output;
            const int32_t code = archivers::CallCommand(
                archivers::Bind<archivers::Shape::Command>(archivers::Library::unzip32, "UnZip"),
                Module().OwnerWindow, command, text::kBufferSize, &output);
            if (code != 0) return code;
            return ParseZipTextListing(output, count);
        },
        result::kTrapped);
}

}  // namespace quorvex6::listing
