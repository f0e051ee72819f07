// Printed listings and EntryInfo records come from archiver libraries reading untrusted
// archives. The first byte chooses the parser: the ZIP or ISH text listing (as printed, or
// padded with NULs as a library leaves its buffer) or a run of 560-byte records.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "control/error_reporting.h"
#include "control/module_state.h"
#include "listing/enumerated_lister.h"
#include "listing/listing_table.h"
#include "listing/text_listers.h"
#include "listing/text_listing.h"
#include "platform/codepage.h"

using namespace quorvex6;

namespace {

void Check(bool holds) {
    if (!holds) __builtin_trap();
}

// After any listing, trapped or not: the counted entries lie inside the table.
void CheckTable(int16_t count, int16_t limit) {
    const auto& table = Module().ListingArrays;
    Check(table.has_value() && !table->empty());
    Check(count >= 0 && count <= limit);
    Check(static_cast<size_t>(count) <= table->size() &&
          table->size() <= static_cast<size_t>(count) + 1);
}

void Text(uint8_t selector, std::string_view bytes) {
    std::u16string buffer = platform::FromSystem(bytes);
    if (selector & 2)
        buffer.resize(std::max<size_t>(buffer.size(), listing::text::kBufferSize), u'\0');
    int16_t count = 0;
    listing::RestartListing(count);
    try {
        const int32_t code = selector & 1 ? listing::ParseIshListing(buffer, count)
                                          : listing::ParseZipTextListing(buffer, count);
        Check(code == 0);
    } catch (const TrappedFailure&) {
    }
    CheckTable(count, listing::text::kMaxEntries);
}

void Records(uint8_t selector, std::string_view bytes) {
    int16_t count = 0;
    listing::RestartListing(count);
    listing::EntryBuffer buffer;
    try {
        while (!bytes.empty()) {
            const size_t take = std::min(bytes.size(), sizeof buffer);
            // Like a library's find call: it writes over the previous record.
            std::memcpy(&buffer, bytes.data(), take);
            bytes.remove_prefix(take);
            listing::AddEntry(listing::BytesOf(buffer), selector & 1, count);
        }
    } catch (const TrappedFailure&) {
    }
    CheckTable(count, 32767);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t selector = data[0];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    if (selector & 4)
        Records(selector, bytes);
    else
        Text(selector, bytes);
    return 0;
}
