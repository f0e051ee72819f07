// A kept entry's central record, unchanged but for where its local header now starts.
#pragma once
#include <cstdint>
#include <string>

namespace quorvex6::backend::zip {

// The offset goes where the record keeps it: its 32-bit field, or the ZIP64 extra field when
// the 32-bit one says 0xFFFFFFFF. An offset past 4 GiB in a record without a 64-bit place
// gets one, and the version needed becomes at least 4.5. Throws io::Error kBrokenHeader for a
// record that announces a 64-bit offset and holds none, kWrite when the record has no room left.
std::string RelocatedCentral(std::string record, uint64_t offset);

}  // namespace quorvex6::backend::zip
