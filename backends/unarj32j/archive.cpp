#include "unarj32j/archive.h"

#include <array>

#include "common/fault_codes.h"
#include "common/result.h"
#include "common/volume_inputs.h"

namespace quorvex6::backend::unarj32j {

namespace {

constexpr std::array<const char*, arj::kHighestMethod + 1> kMethodTexts = {"-m0-", "-m1-", "-m2-",
                                                                           "-m3-", "-m4-"};

}  // namespace

Archive::Archive(const std::string& path) {
    try {
        set_.emplace(path, ArchiveVolumeOpener(path));
    } catch (const io::Error& error) {
        throw FailureOf(error, path);
    }
}

EntryFacts FactsOf(const arj::JoinedEntry& joined) {
    const arj::Entry& e = joined.entry;
    EntryFacts f;
    f.name = e.name;
    f.original_size = e.original_size;
    f.compressed_size = e.packed_size;
    f.crc = e.crc;
    f.os_type = e.unix_host() ? kOsUnix : kOsDos;
    f.mtime = e.mtime;
    f.folder = e.folder();
    if (e.unix_host()) {
        f.read_only = (e.mode & 0200) == 0;
    } else {
        f.read_only = (e.mode & arj::kDosReadOnly) != 0;
        f.hidden = (e.mode & arj::kDosHidden) != 0;
        f.system = (e.mode & arj::kDosSystem) != 0;
        f.archive_bit = (e.mode & arj::kDosArchive) != 0;
    }
    f.method = e.method < kMethodTexts.size() ? kMethodTexts[e.method] : "-m?-";
    return f;
}

}  // namespace quorvex6::backend::unarj32j
