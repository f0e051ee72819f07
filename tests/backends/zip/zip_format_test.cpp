// The ZIP format's rules on their own: which name a stored name becomes, which time an extended
// timestamp means, and how a kept entry's central record moves.
#include "formats/zip/zip_format.h"

#include <gtest/gtest.h>

#include "common/fault_codes.h"
#include "formats/zip/zip_entry.h"
#include "formats/zip/zip_names.h"
#include "formats/zip/zip_relocate.h"
#include "io/byte_order.h"
#include "quorvex6/result_codes.h"

namespace quorvex6::backend::zip {
namespace {

constexpr uint16_t kDos = 0x0014, kNtfs = 0x0A3F, kInfoZipNtfs = 0x0B1E, kUnix = 0x031E,
                   kMac = 0x0714;

TEST(ZipNames, ChosenByTheSystemThatMadeTheEntry) {
    struct Case {
        const char* raw;
        uint16_t flags;
        uint16_t made_by;
        const char* name;
    };
    const Case cases[] = {
        // Half-width katakana that also pass as UTF-8 ("\xc3\xbd" is "ý").
        {"\xc3\xbd.txt", 0, kDos, "ﾃｽ.txt"},
        {"\xc3\xbd.txt", 0, kNtfs, "ﾃｽ.txt"},
        {"\xc3\xbd.txt", 0, kUnix, "ý.txt"},
        {"\xc3\xbd.txt", 0, kMac, "ý.txt"},
        {"\xc3\xbd.txt", kFlagUtf8, kDos, "ý.txt"},
        // Not Shift_JIS: CP437 from MS-DOS, the bytes themselves from Unix.
        {"caf\x82.txt", 0, kDos, "café.txt"},
        {"caf\xe9.txt", 0, kUnix, "caf\xe9.txt"},
        {"caf\xe9.txt", kFlagUtf8, kUnix, "caf\xe9.txt"},  // flagged, yet not UTF-8
        {"\x93\xfa\x96\x7b\x8c\xea.txt", 0, kDos, "日本語.txt"},
        {"\x93\xfa\x96\x7b\x8c\xea.txt", 0, kMac, "日本語.txt"},
        // A backslash separates only where no name can hold one; 0x5C inside a Shift_JIS
        // character is no separator.
        {"dir\\file.txt", 0, kDos, "dir/file.txt"},
        {"dir\\file.txt", 0, kInfoZipNtfs, "dir/file.txt"},
        {"dir\\file.txt", 0, kUnix, "dir\\file.txt"},
        {"dir\\file.txt", 0, kMac, "dir\\file.txt"},
        {"\x95\x5c\\x.txt", 0, kDos, "表/x.txt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EntryName(c.raw, c.flags, c.made_by, ""), c.name)
            << c.raw << " " << std::hex << c.made_by;
    EXPECT_EQ(EntryName("caf\x82.txt", 0, kDos, "from-the-field\\x.txt"), "from-the-field/x.txt");
}

TEST(ZipEntryTimes, ExtendedTimestampIsUnsignedUnlessTheDosDateSaysBefore2038) {
    auto dos_date = [](unsigned year) {
        return static_cast<uint16_t>(((year - 1980) << 9) | (1 << 5) | 1);
    };
    struct Case {
        std::optional<uint32_t> extended;
        uint16_t dos_date;
        int64_t mtime;
    };
    const Case cases[] = {
        {2214450367u, dos_date(2040), 2214450367},  // 2040-03-04 05:06:07 UTC
        {2214450367u, dos_date(2107), 2214450367},
        {2214450367u, dos_date(1980), -2080516929},  // a DOS date of 1980: a time before 1970
        {3984809663u, dos_date(1980),
         -310157633},  // 1960-03-04 05:06:07 UTC, as Info-ZIP writes it
        {3984809663u, dos_date(2037), -310157633},
        {3984809663u, dos_date(2038), 3984809663},
        {1623760496u, dos_date(1980), 1623760496},
    };
    for (const Case& c : cases) {
        ZipEntry entry;
        entry.extended_mtime = c.extended;
        entry.dos_date = c.dos_date;
        EXPECT_EQ(entry.mtime(), c.mtime) << *c.extended << " " << c.dos_date;
    }
}

// A central record as bytes: `wide` puts 0xFFFFFFFF in the sizes and offset named.
struct Record {
    uint16_t version_needed = 20;
    bool wide_usize = false, wide_offset = false;
    uint32_t offset = 0x100;
    std::string extra;
    std::string Bytes() const {
        std::string r;
        io::PutLe32(r, kCentralSignature);
        io::PutLe16(r, 0x0A33);  // made by 7-Zip on NTFS, say
        io::PutLe16(r, version_needed);
        io::PutLe16(r, 1);   // flags
        io::PutLe16(r, 99);  // method
        io::PutLe32(r, 0x12345678);
        io::PutLe32(r, 0xCAFEBABE);
        io::PutLe32(r, 7);  // compressed size
        io::PutLe32(r, wide_usize ? k32Max : 9);
        io::PutLe16(r, 5);
        io::PutLe16(r, static_cast<uint16_t>(extra.size()));
        io::PutLe16(r, 3);
        io::PutLe16(r, 0);
        io::PutLe16(r, 1);
        io::PutLe32(r, 0x21);
        io::PutLe32(r, wide_offset ? k32Max : offset);
        return r + "a.txt" + extra + "why";
    }
};

std::string Field(uint16_t id, const std::string& data) {
    std::string f;
    io::PutLe16(f, id);
    io::PutLe16(f, static_cast<uint16_t>(data.size()));
    return f + data;
}
std::string U64(uint64_t v) {
    std::string s;
    io::PutLe64(s, v);
    return s;
}

TEST(ZipRelocate, OnlyTheOffsetChangesAndZip64OnlyWhereItMustHold) {
    const std::string aes = Field(0x9901, std::string("\2\0AE\3\x08\0", 7));
    const uint64_t far = 5ull << 30;
    struct Case {
        const char* what;
        Record before;
        uint64_t offset;
        Record after;
    };
    const Case cases[] = {
        {"32-bit stays 32-bit",
         {20, false, false, 0x100, aes},
         0x2000,
         {20, false, false, 0x2000, aes}},
        {"past 4 GiB: a ZIP64 field after the others, version 4.5",
         {20, false, false, 0x100, aes},
         far,
         {45, false, true, 0, aes + Field(kExtraZip64, U64(far))}},
        {"version 5.1 stays",
         {51, false, false, 0x100, aes},
         far,
         {51, false, true, 0, aes + Field(kExtraZip64, U64(far))}},
        {"the offset follows the original size in the ZIP64 field",
         {45, true, false, 0x100, Field(kExtraZip64, U64(1ull << 33)) + aes},
         far,
         {45, true, true, 0, Field(kExtraZip64, U64(1ull << 33) + U64(far)) + aes}},
        {"a 64-bit offset stays 64-bit, even when small",
         {45, true, true, 0, Field(kExtraZip64, U64(1ull << 33) + U64(far))},
         0x40,
         {45, true, true, 0, Field(kExtraZip64, U64(1ull << 33) + U64(0x40))}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RelocatedCentral(c.before.Bytes(), c.offset), c.after.Bytes()) << c.what;
}

TEST(ZipRelocate, ARecordThatDoesNotHoldWhatItAnnouncesIsRefused) {
    const Record cases[] = {
        {45, false, true, 0, ""},                                  // 64-bit offset, no ZIP64 field
        {45, true, true, 0, Field(kExtraZip64, U64(1ull << 33))},  // the offset missing from it
        {45, true, false, 0, Field(kExtraZip64, std::string(4, '\0'))},  // not even the size
    };
    for (const Record& r : cases) {
        try {
            RelocatedCentral(r.Bytes(), 5ull << 30);
            ADD_FAILURE() << "accepted";
        } catch (const io::Error& e) {
            EXPECT_EQ(ResultCodeOf(e.fault()), quorvex6::result::kBrokenHeader);
        }
    }
    try {
        RelocatedCentral(Record{}.Bytes().substr(0, 40), 1);
        ADD_FAILURE() << "accepted a cut record";
    } catch (const io::Error& e) {
        EXPECT_EQ(ResultCodeOf(e.fault()), quorvex6::result::kBrokenHeader);
    }
}

}  // namespace
}  // namespace quorvex6::backend::zip
