#include "formats/rar/reader.h"

#include "formats/rar/rar4_reader.h"
#include "formats/rar/rar5_reader.h"

namespace quorvex6::backend::rar {

Volume ReadVolume(io::RandomInput& in) {
    std::optional<ArchiveStart> start = FindArchiveStart(in, kSfxSearchLimit);
    if (!start) throw io::Error(io::Fault::kNotArchive, "not a RAR archive");
    return start->generation == Generation::kRar5 ? ReadRar5Volume(in, start->offset)
                                                  : ReadRar4Volume(in, start->offset);
}

}  // namespace quorvex6::backend::rar
