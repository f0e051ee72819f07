// The EntryInfo record in which a library reports one stored file, read at its fixed offsets
// (little-endian, texts in the system code page) and formatted into a listing entry.
#pragma once
#include <cstddef>
#include <span>
#include <string>

#include "control/module_state.h"
#include "quorvex6/archiver_api.h"

namespace quorvex6::listing {

// The buffer handed to every find call: the 558-byte record and two bytes of padding.
struct EntryBuffer {
    QvEntryInfo info{};
    unsigned char padding[QV_ENTRY_BUFFER_SIZE - QV_ENTRY_INFO_SIZE]{};
};
static_assert(sizeof(EntryBuffer) == QV_ENTRY_BUFFER_SIZE);

using RecordBytes = std::span<const unsigned char, QV_ENTRY_BUFFER_SIZE>;

inline RecordBytes BytesOf(const EntryBuffer& buffer) {
    return RecordBytes(reinterpret_cast<const unsigned char*>(&buffer), sizeof buffer);
}

// The stored name up to its NUL. A name without a NUL in its 513 bytes is a trapped failure.
std::u16string StoredNameOf(RecordBytes record);

// Sizes, ratio, date, time, attributes, method and check value, in that order.
void FormatColumns(RecordBytes record, ListingEntry& entry);

}  // namespace quorvex6::listing
