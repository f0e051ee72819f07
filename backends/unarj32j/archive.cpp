#include "unarj32j/archive.h"

#include <array>

#include "common/result.h"
#include "unarj32j/faults.h"

namespace quorvex6::backend::unarj32j {

namespace {

constexpr std::array<const char*, arj::kHighestMethod + 1> kMethodTexts = {"-m0-", "-m1-", "-m2-",
                                                                           "-m3-", "-m4-"};

}  // namespace

Archive::Archive(const std::string& path) {
    std::unique_ptr<FileInput> first;
    try {
        first = std::make_unique<FileInput>(path);
    } catch (const Failure&) {
        throw Failure(result::kCannotOpenArchive, "cannot open archive " + path);
    }
    // A later volume that cannot be opened ends the set: its split file is incomplete.
    auto open = [&first](const std::string& name) -> std::unique_ptr<io::RandomInput> {
        if (first) return std::move(first);
        try {
            return std::make_unique<FileInput>(name);
        } catch (const Failure&) {
            return nullptr;
        }
    };
    try {
        set_.emplace(path, open);
    } catch (const io::Error& error) {
        throw FailureOf(error, path);
    }
}

io::RandomInput& VolumeInputs::operator()(std::size_t volume) {
    if (!opened_[volume]) opened_[volume] = std::make_unique<FileInput>(paths_[volume]);
    return *opened_[volume];
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
