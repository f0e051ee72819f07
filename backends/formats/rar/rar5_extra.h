// The extra records of a RAR 5.0 file or service header: encryption, hash, times, version,
// redirection, owner.
#pragma once
#include <span>

#include "formats/rar/entry.h"

namespace quorvex6::backend::rar {

// Fills `e` from the extra area; unknown records are skipped, broken ones throw kBrokenHeader.
void ReadExtraArea(std::span<const std::uint8_t> area, Entry& e, const std::string& where);

}  // namespace quorvex6::backend::rar
