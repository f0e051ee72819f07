// The volumes of a multi-volume set (BASE.i01, BASE.i02, ... in one folder) joined into the file
// they were cut from. Volumes are read one after another straight into the file being written,
// so memory stays that of decoding one text whatever the size of the set.
#pragma once
#include <string>

#include "codecs/ish/file_info.h"
#include "common/extract_target.h"

namespace quorvex6::backend::ish32 {

// Whether two volume headers belong to one set: name, size, whole-file CRCs and volume size.
bool SameSet(const codecs::ish::FileInfo& a, const codecs::ish::FileInfo& b);

// Writes the file of the set that `volume` (a header found in the text `text`) belongs to. The
// volumes are the files beside `text` named as it is up to its last dot, then `.i` (any case)
// and digits, told apart by their headers' volume numbers whatever their names. Throws Failure:
// 0x802D when a volume is not there, 0x8014 for a header that allows no such set, the failure
// of a volume that does not decode, 0x800C when a volume's or the whole file's CRC is wrong.
void JoinSet(const std::string& text, const codecs::ish::FileInfo& volume, PendingFile& out);

}  // namespace quorvex6::backend::ish32
