// The lister that enumerates EntryInfo records through a kind's open / find-first / find-next /
// close entry points: LHA, ZIP (libraries of version 80 and later), CAB, ARJ, TAR and RAR.
#pragma once
#include <cstdint>
#include <string>

#include "listing/entry_record.h"

namespace quorvex6::listing {

// False for ISH and unknown kinds, which have no enumeration.
bool IsEnumeratedKind(int32_t kind);

// One found record into the table: element count is grown and filled, then counted, unless
// it is a folder entry of a kind that skips them (it is then overwritten by the next record).
void AddEntry(RecordBytes record, bool skipsFolderEntries, int16_t& count);

// Lists archive through kind's library. The handle is closed on every way out, a trapped
// failure included; only a normal end takes the close call's result.
int32_t ListEnumerated(int32_t kind, const std::u16string& archive, int16_t& count);

}  // namespace quorvex6::listing
