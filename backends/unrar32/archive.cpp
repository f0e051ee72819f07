#include "unrar32/archive.h"

#include <memory>

#include "common/fault_codes.h"
#include "common/result.h"
#include "common/volume_inputs.h"
#include "formats/rar/first_block.h"

namespace quorvex6::backend::unrar32 {

Archive::Archive(const std::string& path) {
    try {
        set_.emplace(path, ArchiveVolumeOpener(path));
    } catch (const io::Error& error) {
        throw FailureOf(error, path);
    }
}

const rar::JoinedEntry* Archive::CopySource(std::size_t index) const {
    const std::string& target = entries()[index].entry.link_target;
    for (std::size_t i = index; i-- > 0;)
        if (entries()[i].entry.name == target && entries()[i].entry.has_data())
            return &entries()[i];
    return nullptr;
}

EntryFacts FactsOf(const rar::JoinedEntry& joined, const rar::VolumeSet::VolumeInput& volume) {
    const rar::Entry& e = joined.entry;
    EntryFacts f;
    f.name = e.name;
    if (e.file_version != 0) f.name += ";" + std::to_string(e.file_version);
    f.original_size = e.original_size;
    f.compressed_size = e.packed_size;
    f.crc = e.crc.value_or(0);
    bool windows = e.generation == rar::Generation::kRar5 ? e.host == rar::kHost5Windows
                                                          : e.host == rar::kHost4Windows;
    f.os_type = e.unix_mode ? kOsUnix : windows ? kOsWindowsNt : kOsDos;
    f.mtime = e.mtime.seconds;
    f.folder = e.folder;
    if (e.unix_mode) {
        f.read_only = (e.attributes & 0200) == 0;
    } else {
        f.read_only = (e.attributes & rar::kAttrReadOnly) != 0;
        f.hidden = (e.attributes & rar::kAttrHidden) != 0;
        f.system = (e.attributes & rar::kAttrSystem) != 0;
        f.archive_bit = (e.attributes & rar::kAttrArchive) != 0;
    }
    f.method = rar::StartsWithPpmd(joined, volume) ? "PPMd"
               : e.method <= rar::kHighestMethod   ? "m" + std::to_string(e.method)
                                                   : "m?";
    return f;
}

}  // namespace quorvex6::backend::unrar32
