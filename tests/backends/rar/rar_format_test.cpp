// Both RAR header readers over archives the real RAR program made (tests/data/rar/rarfile and
// libarchive, whose .exp dumps and tests give the facts) and over rarstore's: names, times,
// hosts, methods, links, comments, encryption, stored data checked, crafted damage.
#include "formats/rar/rar_format.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "backends/rar/rar_test_support.h"
#include "formats/rar/reader.h"

namespace quorvex6::backend::rar {
namespace {

namespace fs = std::filesystem;

std::string Text(const std::vector<std::uint8_t>& b) { return std::string(b.begin(), b.end()); }

TEST(RarFormat, TheBidFindsEitherSignatureBehindAProgram) {
    struct Case {
        const char* file;
        std::optional<Generation> generation;
        bool behind_program;
    };
    const Case cases[] = {
        {"rarfile/rar3-subdirs.rar", Generation::kRar4, false},
        {"rarfile/rar5-subdirs.rar", Generation::kRar5, false},
        {"rarfile/rar3-seektest.sfx", Generation::kRar4, true},
        {"rarfile/rar5-crc.sfx", Generation::kRar5, true},
        {"libarchive/test_read_format_rar_sfx.exe", Generation::kRar4, true},
        {"libarchive/test_read_format_rar5_sfx.exe", Generation::kRar5, true},
        {"rarfile/LICENSE", std::nullopt, false},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes = FileBytes(RarData(c.file));
        io::MemoryInput in(bytes);
        std::optional<ArchiveStart> start = FindArchiveStart(in, kSfxSearchLimit);
        ASSERT_EQ(start.has_value(), c.generation.has_value()) << c.file;
        EXPECT_EQ(Bid(bytes).has_value(), c.generation.has_value()) << c.file;
        if (!start) continue;
        EXPECT_EQ(start->generation, *c.generation) << c.file;
        EXPECT_EQ(start->offset > 0, c.behind_program) << c.file;
        EXPECT_FALSE(ReadVolume(in).entries.empty()) << c.file;
    }
}

// Names (RAR 4's compressed UTF-16 with surrogates, UTF-8), times to the 100 ns or ns, hosts
// and attributes, methods, as rarfile's dumps give them.
TEST(RarFormat, EntriesReadAsTheRealProgramWroteThem) {
    struct Case {
        const char* file;
        const char* name;
        std::uint64_t size;
        std::int64_t mtime;
        std::uint32_t nanoseconds;
        std::uint8_t method;
        bool unix_mode;
        std::uint32_t attributes;
    };
    const Case cases[] = {
        {"ctime4.rar", "afile.txt", 0, 1305062927, 899345100, 0, false, 0x20},
        {"rar5-times2.rar", "afile.txt", 0, 1305052127, 899345100, 0, false, 0x20},
        {"unicode2.rar", "\xF0\x9D\x90\x80\xF0\x9D\x90\x81\xF0\x9D\x90\x81\xF0\x9D\x90\x82.txt", 2,
         1309970884, 0, 0, false, 0x20},
        {"unicode2.rar", "уииоотивл.txt", 2, 1309970884, 0, 0, false, 0x20},
        {"rar3-subdirs.rar", "sub/üȵĩöḋè/file.txt", 5, 1595279220, 141758600, 0, true, 0100644},
        {"rar5-subdirs.rar", "sub/with space/long fn.txt", 8, 1595268137, 499892070, 0, true,
         0100644},
        {"rar3-readonly-win.rar", "ro_dir/", 0, 1595801502, 328617000, 0, false, 0x11},
        {"rar5-readonly-unix.rar", "ro_dir/ro_file.txt", 9, 1595790702, 312616322, 0, true,
         0100444},
        {"rar15-comment.rar", "FILE1.TXT", 7, 1288813772, 0, 3, false, 0x20},
        {"seektest.rar", "stest1.txt", 2048, 1307883213, 0, 5, true, 0100644},
    };
    for (const Case& c : cases) {
        VolumeSet set = OpenSet(RarData(std::string("rarfile/") + c.file));
        const JoinedEntry* j = Find(set, c.name);
        ASSERT_NE(j, nullptr) << c.file << " " << c.name;
        const Entry& e = j->entry;
        EXPECT_EQ(e.original_size, c.size) << c.name;
        EXPECT_EQ(e.mtime.seconds, c.mtime) << c.name;
        EXPECT_EQ(e.mtime.nanoseconds, c.nanoseconds) << c.name;
        EXPECT_EQ(e.method, c.method) << c.name;
        EXPECT_EQ(e.unix_mode, c.unix_mode) << c.name;
        EXPECT_EQ(e.attributes, c.attributes) << c.name;
        EXPECT_FALSE(set.end_error()) << c.file << ": " << set.end_error()->what();
    }
}

TEST(RarFormat, OtherTimesComeWithTheirOwnFractions) {
    VolumeSet rar4 = OpenSet(RarData("rarfile/ctime4.rar"));
    ASSERT_TRUE(rar4.entries().at(0).entry.ctime);
    EXPECT_EQ(rar4.entries()[0].entry.ctime->nanoseconds, 899345100u);
    VolumeSet rar5 = OpenSet(RarData("rarfile/rar5-times.rar"));
    ASSERT_TRUE(rar5.entries().at(0).entry.atime);
    EXPECT_EQ(rar5.entries()[0].entry.atime->seconds, 1463908356);  // 2016-05-22 09:12:36
}

TEST(RarFormat, RedirectionsKeepTheirKindAndTarget) {
    struct Case {
        const char* file;
        const char* name;
        Redirection kind;
        const char* target;
    };
    const Case cases[] = {
        {"rar5-symlink-unix.rar", "random_link", Redirection::kUnixSymlink, "../random123"},
        {"rar5-symlink-win.rar", "links/file_link", Redirection::kWindowsSymlink,
         "../content/file.txt"},
        {"rar5-symlink-win.rar", "links/dir_junction", Redirection::kJunction,
         "/?\?/C:/Users/User/stuff/content/dir2"},
        {"rar5-hlink.rar", "stest2.txt", Redirection::kHardLink, "stest1.txt"},
        {"rar5-evil-symlink-traversal.rar", "up", Redirection::kUnixSymlink, ".."},
    };
    for (const Case& c : cases) {
        VolumeSet set = OpenSet(RarData(std::string("rarfile/") + c.file));
        const JoinedEntry* j = Find(set, c.name);
        ASSERT_NE(j, nullptr) << c.name;
        EXPECT_EQ(j->entry.redirection, c.kind) << c.name;
        EXPECT_EQ(j->entry.link_target, c.target) << c.name;
        EXPECT_FALSE(j->entry.has_data()) << c.name;
    }
    // RAR 4 keeps a UNIX symlink's target as its stored data.
    VolumeSet rar4 = OpenSet(RarData("rarfile/rar3-symlink-unix.rar"));
    const JoinedEntry* link = Find(rar4, "data_link");
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->entry.symlink_in_data());
    EXPECT_EQ(Text(DecodeEntry(rar4, *link).bytes), "data.txt");
}

TEST(RarFormat, CommentsStoredPlainAreRead) {
    EXPECT_EQ(OpenSet(RarData("rarfile/rar5-blake.rar")).first().comment, "RAR5 archive - blake\n");
    EXPECT_EQ(OpenSet(RarData("rarfile/rar5-crc.sfx")).first().comment, "RAR5 archive - crc\n");
}

// Every stored or decoded entry passes its CRC-32 or BLAKE2sp; those of a method known nowhere
// here are refused as a method, encrypted ones as encrypted, never given out.
TEST(RarFormat, DataIsCheckedOrRefusedNeverGarbled) {
    struct Case {
        const char* file;
        const char* name;
        std::optional<io::Fault> fault;
    };
    const Case cases[] = {
        {"rarfile/rar5-blake.rar", "stest2.txt", std::nullopt},
        {"rarfile/rar5-crc.rar", "stest2.txt", std::nullopt},
        {"rarfile/rar15-comment.rar", "FILE2.TXT", std::nullopt},
        {"rarfile/rar3-subdirs.rar", "sub/dir1/file1.txt", std::nullopt},
        {"rarfile/rar15-comment.rar", "FILE1.TXT", std::nullopt},
        {"store/unknown-method.rar", "FILE1.TXT", io::Fault::kUnknownMethod},
        {"rarfile/rar5-solid.rar", "stest2.txt", io::Fault::kUnknownMethod},
        {"rarfile/rar5-psw.rar", "stest2.txt", io::Fault::kEncrypted},
        {"rarfile/rar3-comment-psw.rar", "file1.txt", io::Fault::kEncrypted},
        {"libarchive/test_read_format_rar4_encrypted.rar", "b.txt", io::Fault::kEncrypted},
        {"libarchive/test_read_format_rar4_encrypted.rar", "c.txt", std::nullopt},
    };
    for (const Case& c : cases) {
        VolumeSet set = OpenSet(RarData(c.file));
        const JoinedEntry* j = Find(set, c.name);
        ASSERT_NE(j, nullptr) << c.file << " " << c.name;
        Decoded d = DecodeEntry(set, *j);
        EXPECT_EQ(d.fault, c.fault) << c.file << " " << c.name;
        EXPECT_EQ(d.bytes.size(), c.fault ? 0 : j->entry.original_size) << c.name;
    }
}

TEST(RarFormat, EncryptedHeadersAreTold) {
    for (const char* file : {"rarfile/rar3-comment-hpsw.rar", "rarfile/rar5-hpsw.rar",
                             "libarchive/test_read_format_rar_encryption_header.rar"}) {
        try {
            OpenSet(RarData(file));
            ADD_FAILURE() << file;
        } catch (const io::Error& error) {
            EXPECT_EQ(error.fault(), io::Fault::kEncrypted) << file;
        }
    }
}

// A byte changed in stored data (CRC-32 or BLAKE2sp) is a checksum failure.
TEST(RarFormat, ADamagedStoredFileFailsItsCheck) {
    const fs::path scratch =
        fs::temp_directory_path() / ("qv_rar_damage_" + std::to_string(getpid()));
    fs::create_directories(scratch);
    for (const char* file :
         {"rarfile/rar5-blake.rar", "rarfile/rar5-crc.rar", "store/store4.rar"}) {
        VolumeSet clean = OpenSet(RarData(file));
        const JoinedEntry& last = [&]() -> const JoinedEntry& {
            for (const JoinedEntry& e : clean.entries())
                if (e.entry.method == 0 && e.entry.original_size > 100) return e;
            return clean.entries().front();
        }();
        std::vector<std::uint8_t> bytes = FileBytes(RarData(file));
        bytes.at(last.entry.data_offset + 50) ^= 0x01;
        fs::path copy = scratch / fs::path(file).filename();
        std::ofstream(copy, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        VolumeSet damaged = OpenSet(copy);
        EXPECT_EQ(DecodeEntry(damaged, *Find(damaged, last.entry.name)).fault,
                  io::Fault::kDataChecksum)
            << file;
    }
    fs::remove_all(scratch);
}

TEST(RarFormat, RarstoreArchivesComeOutByteForByte) {
    const fs::path files = RarData("store/files");
    for (const char* file : {"store/store4.rar", "store/store5.rar"}) {
        VolumeSet set = OpenSet(RarData(file));
        std::size_t seen = 0;
        for (const JoinedEntry& j : set.entries()) {
            Decoded d = DecodeEntry(set, j);
            EXPECT_FALSE(d.fault) << j.entry.name;
            EXPECT_EQ(d.bytes, FileBytes(files / fs::u8path(j.entry.name))) << j.entry.name;
            EXPECT_EQ(j.entry.mtime.seconds, 1623760496) << j.entry.name;
            ++seen;
        }
        EXPECT_EQ(seen, 5u) << file;
    }
}

// RAR 5.0's LZ with its filters, over one volume or eight, checked by the CRC-32 or BLAKE2sp
// the real program stored; damaged tables are damage.
TEST(RarFormat, Rar5CompressedFilesDecodeToTheirCheckValues) {
    struct Case {
        const char* file;
        std::size_t entries;  // that decode
    };
    const Case cases[] = {
        {"rarfile/rar5-blake.rar", 2},
        {"rarfile/rar5-crc.sfx", 2},
        {"rarfile/rar5-quick-open.rar", 2},
        {"rarfile/rar5-times.rar", 1},
        {"libarchive/test_read_format_rar5_compressed.rar", 1},
        {"libarchive/test_read_format_rar5_multiple_files.rar", 4},
        {"libarchive/test_read_format_rar5_win32.rar", 8},
        {"libarchive/test_read_format_rar5_extra_field_version.rar", 2},
        {"libarchive/test_read_format_rar5_blake2.rar", 1},
        {"libarchive/test_read_format_rar5_multiarchive.part01.rar", 2},
    };
    for (const Case& c : cases) {
        VolumeSet set = OpenSet(RarData(c.file));
        std::size_t decoded = 0;
        for (const JoinedEntry& j : set.entries()) {
            Decoded d = DecodeEntry(set, j);
            EXPECT_FALSE(d.fault) << c.file << " " << j.entry.name;
            EXPECT_EQ(d.bytes.size(), j.entry.original_size) << j.entry.name;
            decoded += d.fault ? 0 : 1;
        }
        EXPECT_EQ(decoded, c.entries) << c.file;
    }
    VolumeSet bad = OpenSet(RarData("libarchive/test_read_format_rar5_bad_tables.rar"));
    EXPECT_EQ(DecodeEntry(bad, bad.entries().at(0)).fault, io::Fault::kBrokenData);
}

// The fuzzed and crafted archives of libarchive's suite: every one opens or fails with a fault,
// and every entry decodes or fails with one, none beyond its declared size.
TEST(RarFormat, CraftedArchivesGiveAFaultNeverACrash) {
    std::size_t archives = 0;
    for (const auto& item : fs::directory_iterator(RarData("libarchive"))) {
        if (item.path().filename() == "LICENSE") continue;
        ++archives;
        try {
            VolumeSet set = OpenSet(item.path());
            for (const JoinedEntry& j : set.entries()) {
                if (!j.entry.has_data()) continue;
                Decoded d = DecodeEntry(set, j);
                EXPECT_LE(d.bytes.size(), j.entry.original_size) << item.path();
            }
        } catch (const io::Error&) {
        }
    }
    EXPECT_GT(archives, 80u);
}

}  // namespace
}  // namespace quorvex6::backend::rar
