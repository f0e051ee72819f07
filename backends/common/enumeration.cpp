#include "common/enumeration.h"

#include "common/command_gate.h"
#include "common/result.h"
#include "common/wildcard.h"

namespace quorvex6::backend {

QvArchive Enumeration::Open(const char* archive) noexcept {
    if (archive == nullptr) return 0;
    uint32_t handle = 0;
    Guarded([&] {
        auto open = std::make_unique<OpenListing>();
        open->listing = open_(archive);
        handle = handles_.Add(std::move(open));
        return result::kSuccess;
    });
    return handle;
}

int32_t Enumeration::FindFirst(QvArchive handle, const char* pattern, QvEntryInfo* info) noexcept {
    return Guarded([&] {
        OpenListing* open = handles_.Get(handle);
        if (open == nullptr) return result::kNotOpened;
        if (info == nullptr) return result::kBadCommand;
        if (!open->pattern.empty()) open->listing->Restart();
        open->pattern = pattern != nullptr && *pattern != '\0' ? pattern : "*.*";
        return FindFrom(*open, info);
    });
}

int32_t Enumeration::FindNext(QvArchive handle, QvEntryInfo* info) noexcept {
    return Guarded([&] {
        OpenListing* open = handles_.Get(handle);
        if (open == nullptr) return result::kNotOpened;
        if (info == nullptr) return result::kBadCommand;
        if (open->pattern.empty()) return result::kFindNextBeforeFirst;
        return FindFrom(*open, info);
    });
}

int32_t Enumeration::Close(QvArchive handle) noexcept {
    return Guarded([&] { return handles_.Remove(handle) ? result::kSuccess : result::kNotOpened; });
}

int32_t Enumeration::FindFrom(OpenListing& open, QvEntryInfo* info) {
    EntryFacts facts;
    while (open.listing->Next(facts)) {
        if (MatchPath(open.pattern, facts.name, true)) {
            FillEntryInfo(facts, info);
            return result::kSuccess;
        }
    }
    return kNoMoreEntries;
}

}  // namespace quorvex6::backend
