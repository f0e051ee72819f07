#include "common/entry_info.h"

#include <algorithm>
#include <cstring>

#include "common/dos_time.h"

namespace quorvex6::backend {

namespace {
uint32_t Saturate(uint64_t v) { return v > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(v); }

void CopyText(char* dest, size_t size, const std::string& text) {
    std::memset(dest, 0, size);
    std::memcpy(dest, text.data(), std::min(text.size(), size - 1));
}
}  // namespace

std::string AttributeText(const EntryFacts& facts) {
    std::string text = "----";
    if (facts.folder)
        text[0] = 'd';
    else if (facts.archive_bit)
        text[0] = 'a';
    if (facts.system) text[1] = 's';
    if (facts.hidden) text[2] = 'h';
    if (!facts.read_only) text[3] = 'w';
    return text;
}

uint16_t RatioPerMille(uint64_t original, uint64_t compressed) {
    if (original == 0) return 0;
    // Kept in range of the record's signed 16-bit field for entries that grew a lot.
    uint64_t ratio = compressed / original >= 32 ? 32767 : compressed * 1000 / original;
    return static_cast<uint16_t>(std::min<uint64_t>(ratio, 32767));
}

void FillEntryInfo(const EntryFacts& facts, QvEntryInfo* info) {
    std::memset(info, 0, sizeof *info);
    info->original_size = Saturate(facts.original_size);
    info->compressed_size = Saturate(facts.compressed_size);
    info->crc = facts.crc;
    info->os_type = facts.os_type;
    info->ratio_per_mille = RatioPerMille(facts.original_size, facts.compressed_size);
    DosDateTime dos = ToDosDateTime(facts.mtime);
    info->dos_date = dos.date;
    info->dos_time = dos.time;
    CopyText(info->name, sizeof info->name, facts.name);
    CopyText(info->attribute, sizeof info->attribute, AttributeText(facts));
    CopyText(info->method, sizeof info->method, facts.method);
}

}  // namespace quorvex6::backend
