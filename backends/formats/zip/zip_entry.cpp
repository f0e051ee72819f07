#include "formats/zip/zip_entry.h"

#include "common/dos_time.h"
#include "formats/zip/zip_format.h"
#include "formats/zip/zip_methods.h"

namespace quorvex6::backend::zip {

bool ZipEntry::encrypted() const { return (flags & kFlagEncrypted) != 0; }

std::optional<uint32_t> ZipEntry::unix_mode() const {
    if ((version_made_by >> 8) != kHostUnix) return std::nullopt;
    uint32_t mode = external_attributes >> 16;
    return mode == 0 ? std::nullopt : std::optional<uint32_t>(mode);
}

bool ZipEntry::folder() const {
    if (!name.empty() && name.back() == '/') return true;
    if (auto mode = unix_mode()) return (*mode & kUnixTypeMask) == kUnixFolder;
    return (external_attributes & kDosFolder) != 0;
}

bool ZipEntry::symlink() const {
    auto mode = unix_mode();
    return mode && (*mode & kUnixTypeMask) == kUnixLink;
}

int64_t ZipEntry::mtime() const {
    constexpr unsigned kDosYear2038 = 2038 - 1980;
    if (extended_mtime) {
        if (*extended_mtime <= 0x7FFFFFFFu || (dos_date >> 9) >= kDosYear2038)
            return *extended_mtime;
        return static_cast<int32_t>(*extended_mtime);
    }
    int64_t t = FromDosDateTime({dos_date, dos_time});
    return t < 0 ? 0 : t;
}

uint32_t ZipEntry::os_type() const {
    switch (version_made_by >> 8) {
        case kHostDos:
            return kOsDos;
        case kHostUnix:
            return kOsUnix;
        case kHostNtfs:
            return kOsWindowsNt;
        default:
            return version_made_by >> 8;
    }
}

EntryFacts ZipEntry::Facts() const {
    EntryFacts facts;
    facts.name = name;
    facts.original_size = original_size;
    facts.compressed_size = compressed_size;
    facts.crc = crc;
    facts.os_type = os_type();
    facts.mtime = mtime();
    facts.folder = folder();
    if (auto mode = unix_mode()) {
        facts.read_only = (*mode & 0222) == 0;
        facts.archive_bit =
            (external_attributes & kDosArchive) != 0 || (external_attributes & 0xFFFF) == 0;
    } else {
        facts.read_only = (external_attributes & kDosReadOnly) != 0;
        facts.archive_bit = (external_attributes & kDosArchive) != 0;
    }
    facts.hidden = (external_attributes & kDosHidden) != 0;
    facts.system = (external_attributes & kDosSystem) != 0;
    facts.method = MethodText(method);
    return facts;
}

}  // namespace quorvex6::backend::zip
