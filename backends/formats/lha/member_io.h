// Member data in and out: decoding through the method table with the CRC check, encoding with
// the fall-back to -lh0- when compression would not make a member smaller, and copying a
// member unchanged into a new archive.
#ifndef QV_FORMATS_LHA_MEMBER_IO_H
#define QV_FORMATS_LHA_MEMBER_IO_H

#include "codecs/codec.h"
#include "formats/lha/byte_io.h"
#include "formats/lha/entry.h"

#include <string>

namespace quorvex6::formats::lha {

// Whether a codec here decodes the entry's method.
bool can_decode(const Entry& entry);

Status extract_member(ByteInput& archive, const Entry& entry, codecs::Sink& out);

// Whether the member's data can decode to the size its header declares: a stored member holds
// exactly that many bytes, and no LH method makes more than kMaxExpansion bytes of one packed
// byte (a block of 65535 longest matches from single-code tables packs into 52 bits).
inline constexpr std::uint64_t kMaxExpansion = std::uint64_t{1} << 22;
bool declared_size_possible(const Entry& entry);

// Writes the header and data of `entry` (name, times, mode filled in; folders have no data) at
// out.position() and fills in method, sizes and CRC. `method` is "lh0", "lh1", "lh5", "lh6"
// or "lh7"; empty files are stored.
Status pack_member(ByteOutput& out, Entry& entry, ByteInput* data, const std::string& method);

// The member's header and data exactly as they are in `archive`.
Status copy_member(ByteInput& archive, const Entry& entry, ByteOutput& out);

// The single zero byte that ends an archive.
bool write_end(ByteOutput& out);

}  // namespace quorvex6::formats::lha

#endif
