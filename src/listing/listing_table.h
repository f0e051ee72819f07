// The lister contract over the shared listing table (Module().ListingArrays). Every lister
// restarts the table before its first entry, then for entry k grows the table to k + 1
// elements, fills element k and only then counts it, so that a failure leaves the entries read
// so far in place and an uncounted element may follow them.
#pragma once
#include <cstdint>
#include <string>

#include "control/module_state.h"

namespace quorvex6::listing {

// A lister: archive name in, entry count in and out, result code out (0, 32781, 37120 or the
// library's own code).
using Lister = int32_t (*)(const std::u16string& archive, int16_t& count);

// count := 0; the table becomes one empty element.
void RestartListing(int16_t& count);

// Grows the table to elements 0..k, keeping what it holds, and returns element k.
ListingEntry& GrowTo(int16_t k);

// Adds the entry just filled; the 32768th would overflow the 16-bit count and is a trapped
// failure instead (it stays stored, uncounted).
void CountEntry(int16_t& count);

// Sets FileName and Path from a stored name: split at its last "\", "/" or ":" when it has one.
void SetStoredName(ListingEntry& entry, const std::u16string& name);

}  // namespace quorvex6::listing
