#include "unlha32/archive.h"

#include "common/result.h"
#include "formats/lha/lha_format.h"
#include "unlha32/faults.h"

namespace quorvex6::backend::unlha32 {

using backend::lha::Entry;
namespace result = backend::result;

Archive::Archive(const std::string& path, bool search_all) : path_(path) {
    try {
        input_ = std::make_unique<backend::FileInput>(path);
    } catch (const backend::Failure&) {
        throw backend::Failure(result::kCannotOpenArchive, "cannot open archive " + path);
    }
    try {
        reader_.emplace(*input_, search_all);
    } catch (const backend::io::Error& error) {
        throw FailureOf(error, path);
    }
}

backend::EntryFacts FactsOf(const Entry& e) {
    backend::EntryFacts f;
    f.name = e.name;
    f.original_size = e.original_size;
    f.compressed_size = e.packed_size;
    f.crc = e.crc;
    switch (e.os_id) {
        case 'U':
            f.os_type = backend::kOsUnix;
            break;
        case 'W':
        case 'w':
            f.os_type = backend::kOsWindowsNt;
            break;
        default:
            f.os_type = backend::kOsDos;
            break;
    }
    f.mtime = e.mtime;
    f.folder = e.folder;
    f.read_only = e.unix_mode ? (*e.unix_mode & 0200) == 0
                              : (e.dos_attributes & backend::lha::kDosReadOnly) != 0;
    f.hidden = (e.dos_attributes & backend::lha::kDosHidden) != 0;
    f.system = (e.dos_attributes & backend::lha::kDosSystem) != 0;
    f.archive_bit = (e.dos_attributes & backend::lha::kDosArchive) != 0;
    f.method = "-" + e.method + "-";
    return f;
}

}  // namespace quorvex6::backend::unlha32
