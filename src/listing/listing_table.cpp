#include "listing/listing_table.h"

#include <limits>

#include "compose/path_helpers.h"
#include "control/error_reporting.h"

namespace quorvex6::listing {

void RestartListing(int16_t& count) {
    count = 0;
    Module().ListingArrays.emplace(1);
}

ListingEntry& GrowTo(int16_t k) {
    auto& table = Module().ListingArrays;
    if (!table) table.emplace();
    const size_t size = static_cast<size_t>(k) + 1;
    if (table->size() < size) table->resize(size);
    return (*table)[static_cast<size_t>(k)];
}

void CountEntry(int16_t& count) {
    if (count == std::numeric_limits<int16_t>::max()) {
        throw TrappedFailure(u"Overflow: the archive holds more than 32767 entries.");
    }
    ++count;
}

void SetStoredName(ListingEntry& entry, const std::u16string& name) {
    if (name.find_first_of(u":/\\") == std::u16string::npos) {
        entry.FileName = name;
        entry.Path.clear();
        return;
    }
    entry.Path = FolderOf(name);
    entry.FileName = FileNameOf(name);
}

}  // namespace quorvex6::listing
