// What a format reader knows about one stored entry, and how it becomes the 558-byte record
// of the binary contract (sizes above 4 GiB saturate at 0xFFFFFFFF there).
#pragma once
#include <cstdint>
#include <string>

#include "quorvex6/archiver_api.h"

namespace quorvex6::backend {

// Operating-system codes of the record.
inline constexpr uint32_t kOsDos = 0;
inline constexpr uint32_t kOsUnix = 2;
inline constexpr uint32_t kOsWindowsNt = 18;

struct EntryFacts {
    std::string name;  // stored path, '/' separated, UTF-8; folders end in '/'
    uint64_t original_size = 0;
    uint64_t compressed_size = 0;
    uint32_t crc = 0;
    uint32_t os_type = kOsUnix;
    int64_t mtime = 0;
    bool folder = false;
    bool read_only = false;
    bool hidden = false;
    bool system = false;
    bool archive_bit = true;
    std::string method;  // the format's own name, at most 7 characters
};

std::string AttributeText(const EntryFacts& facts);
uint16_t RatioPerMille(uint64_t original, uint64_t compressed);
void FillEntryInfo(const EntryFacts& facts, QvEntryInfo* info);

}  // namespace quorvex6::backend
