#include "unzip32/zip_extract.h"

#include <cstdio>

#include "common/dos_time.h"
#include "common/entry_info.h"
#include "formats/zip/zip_format.h"
#include "io/fault.h"
#include "io/memory.h"
#include "unzip32/zip_failure.h"

namespace quorvex6::backend::unzip32 {

namespace {

std::string Printable(const std::string& name) {
    std::string out = name;
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return out;
}

}  // namespace

std::string TextListing(const zip::ZipReader& reader) {
    std::string out;
    out += "Name Original Packed Ratio Date Time Attr Method CRC\n";
    out += "---- -------- ------ ----- ---- ---- ---- ------ ---\n";
    uint64_t original = 0, packed = 0;
    char line[128];
    for (const zip::ZipEntry& entry : reader.entries()) {
        EntryFacts facts = entry.Facts();
        DosDateTime dos = ToDosDateTime(facts.mtime);
        uint16_t ratio = RatioPerMille(facts.original_size, facts.compressed_size);
        std::snprintf(
            line, sizeof line, " %llu %llu %u.%u%% %02u/%02u/%02u %02u:%02u:%02u %s %s %08X\n",
            static_cast<unsigned long long>(facts.original_size),
            static_cast<unsigned long long>(facts.compressed_size), ratio / 10u, ratio % 10u,
            ((dos.date >> 9) + 80u) % 100u, (dos.date >> 5) & 0xFu, dos.date & 0x1Fu,
            dos.time >> 11, (dos.time >> 5) & 0x3Fu, (dos.time & 0x1Fu) * 2u,
            AttributeText(facts).c_str(), facts.method.c_str(), facts.crc);
        out += Printable(entry.name);
        out += line;
        original += facts.original_size;
        packed += facts.compressed_size;
    }
    std::snprintf(line, sizeof line, "-------------- %zu entries %llu %llu\n",
                  reader.entries().size(), static_cast<unsigned long long>(original),
                  static_cast<unsigned long long>(packed));
    out += line;
    return out;
}

int32_t TestEntries(const zip::ZipReader& reader, OutputLog& log) {
    ResultKeeper result;
    for (const zip::ZipEntry& entry : reader.entries()) {
        if (entry.folder()) continue;
        try {
            io::NullSink sink;
            reader.Extract(entry, sink);
        } catch (const io::Error& error) {
            Failure f = AsFailure(error);
            log.Line(std::string("bad ") + entry.name + ": " + f.what());
            result.Note(f.code());
        }
    }
    return result.code();
}

}  // namespace quorvex6::backend::unzip32
