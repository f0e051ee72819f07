// Member data in and out: decoding through the method table with the CRC check, encoding with
// the fall-back to -lh0- when compression would not make a member smaller, and copying a
// member unchanged into a new archive. They throw io::Error; a sink or output that failed
// gives kWrite, its owner knows why.
#pragma once
#include <string>

#include "formats/lha/entry.h"
#include "io/random_access.h"
#include "io/stream.h"

namespace quorvex6::backend::lha {

// Whether a codec here decodes the entry's method.
bool CanDecode(const Entry& entry);

// Decodes the member's data into `out`. Throws kUnknownMethod, kBrokenData, kDataChecksum when
// it decoded to other bytes than stored, kRead, kWrite.
void DecodeMember(io::RandomInput& archive, const Entry& entry, io::Sink& out);

// Whether the member's data can decode to the size its header declares: a stored member holds
// exactly that many bytes, and no LH method makes more than kMaxExpansion bytes of one packed
// byte.
bool DeclaredSizePossible(const Entry& entry);

// Writes the header and data of `entry` (name, times, mode filled in; folders have no data) at
// out.position() and fills in method, sizes and CRC. `method` is "lh0", "lh1", "lh5", "lh6"
// or "lh7"; empty files are stored. `data` is read again from its start when compression does
// not pay. Throws kUnknownMethod, kRead, kWrite, kBrokenHeader when the sizes do not fit.
void PackMember(io::RandomOutput& out, Entry& entry, io::RandomInput* data,
                const std::string& method);

// The member's header and data exactly as they are in `archive`, at out.position(). Throws
// kRead, kBrokenData when the archive ends first, kWrite.
void CopyMember(io::RandomInput& archive, const Entry& entry, io::RandomOutput& out);

// The single zero byte that ends an archive. Throws kWrite.
void WriteEnd(io::RandomOutput& out);

}  // namespace quorvex6::backend::lha
