// tar32 through the real loader: archives of GNU tar and bsdtar, round trips in every
// compression checked by both, hostile and broken archives, and the listing calls.
#include <sys/resource.h>

#include <csignal>
#include <fstream>
#include <set>
#include <sstream>

#include "backends/tar/tar_library.h"
#include "quorvex6/result_codes.h"

namespace quorvex6::testing {
namespace {

namespace result = quorvex6::result;

TEST_F(TarLibrary, ArchivesOfOtherToolsExtractByteForByteAndList) {
    auto expected = ReadPackedTree(TestData("tar/files"));
    struct Case {
        const char* archive;
        const char* method;
    };
    const Case cases[] = {
        {"tree-pax-gnutar.tar", "-tar-"}, {"tree-gnu-gnutar.tar", "-tar-"},
        {"tree-gnutar.tar.gz", "-tgz-"},  {"tree-gnutar.tar.bz2", "-tbz-"},
        {"tree-gnutar.tar.xz", "-txz-"},  {"tree-gnutar.tar.zst", "-tzs-"},
        {"tree-bsdtar.tgz", "-tgz-"},
    };
    for (const Case& c : cases) {
        fs::remove_all(dest());
        EXPECT_EQ(Extract(TestData("tar/" + std::string(c.archive))), 0) << c.archive;
        EXPECT_EQ(ReadTree(dest()), expected) << c.archive;
        auto listed = List(TestData("tar/" + std::string(c.archive)));
        ASSERT_TRUE(listed.count("./hello.txt")) << c.archive;
        EXPECT_STREQ(listed["./hello.txt"].method, c.method);
        EXPECT_EQ(listed["./hello.txt"].original_size, 6u);
        EXPECT_EQ(listed["./hello.txt"].dos_date, (41 << 9) | (6 << 5) | 15);
        EXPECT_TRUE(listed.count("./empty-folder/")) << c.archive;  // folders keep their "/"
        EXPECT_STREQ(listed["./empty-folder/"].attribute, "d--w");
        EXPECT_TRUE(listed.count("./日本語.txt")) << c.archive;
    }
}

// A compressed archive of one small file packs into fewer bytes than one TAR header: it must
// still be told from a plain archive by its content. An empty file is no archive.
TEST_F(TarLibrary, CompressedArchivesShorterThanAHeaderAreRead) {
    WriteAll(root_ / "base/a.txt", "abc");
    auto check = tar_.Get<QvCheckArchiveFn>("TarCheckArchive");
    for (const char* compressor : {"gzip", "bzip2", "xz", "zstd"}) {
        fs::path archive = root_ / (std::string("tiny.tar.") + compressor);
        ASSERT_EQ(RunTool(std::string("tar -I ") + compressor + " -C " + Quote(root_ / "base") +
                          " -cf " + Quote(archive) + " a.txt"),
                  0);
        ASSERT_LT(fs::file_size(archive), 512u) << compressor;
        EXPECT_NE(check(archive.c_str(), 1), 0) << compressor;
        EXPECT_EQ(List(archive).size(), 1u) << compressor;
        fs::remove_all(dest());
        EXPECT_EQ(Extract(archive), 0) << compressor;
        EXPECT_EQ(ReadAll(dest() / "a.txt"), "abc") << compressor;
    }
    WriteAll(root_ / "empty.tar", "");
    EXPECT_EQ(check((root_ / "empty.tar").c_str(), 1), 0);
    EXPECT_EQ(Extract(root_ / "empty.tar"), result::kNotValidArchive);
}

TEST_F(TarLibrary, WhatWeWriteOtherToolsReadInEveryCompression) {
    fs::path base = TestData("tar/files");
    auto expected = ReadTree(base);
    for (const char* name :
         {"a.tar", "a.tar.gz", "a.tgz", "a.tar.bz2", "a.tbz", "a.tar.xz", "a.tar.zst"}) {
        fs::path archive = root_ / name;
        ASSERT_EQ(tar_.Command("Tar", "-c -AH --display-dialog=0 -f " + Quote(archive) + " " +
                                          QuoteFolder(base) + " *.*"),
                  0)
            << name;
        for (const char* tool : {"tar", "bsdtar"}) {
            fs::path out = root_ / (std::string(tool) + "-" + name);
            fs::create_directories(out);
            EXPECT_EQ(RunTool(std::string(tool) + " -xf " + Quote(archive) + " -C " + Quote(out)),
                      0)
                << tool << " " << name;
            EXPECT_EQ(ReadTree(out), expected) << tool << " " << name;
        }
        fs::remove_all(dest());
        EXPECT_EQ(Extract(archive), 0) << name;
        EXPECT_EQ(ReadTree(dest()), expected) << name;
    }
    EXPECT_EQ(RunTool("7zz t " + Quote(root_ / "a.tar.gz")), 0);
}

// Entries are gathered into larger writes: files that end just before, at and just after the
// gathering size, and ones larger than it, come back whole in either order, read by GNU tar.
TEST_F(TarLibrary, FilesAroundTheWriteSizeComeBackWhole) {
    const size_t kGather = 256 << 10;
    const size_t sizes[] = {
        0, 1, 511, 512, 513, kGather - 1024, kGather, kGather + 1, 3 * kGather + 7, 1 << 20};
    uint64_t state = 7;
    auto bytes = [&](size_t n) {
        std::string text(n, '\0');
        for (char& c : text)
            c = static_cast<char>((state = state * 6364136223846793005u + 1) >> 56);
        return text;
    };
    struct Case {
        const char* what;
        bool descending;  // the large files first
        const char* archive;
    };
    const Case cases[] = {{"ascending, plain", false, "g.tar"},
                          {"descending, plain", true, "g.tar"},
                          {"ascending, gzip", false, "g.tar.gz"}};
    for (const Case& c : cases) {
        fs::path base = root_ / "gather";
        fs::remove_all(base);
        for (size_t i = 0; i < std::size(sizes); ++i) {
            size_t k = c.descending ? std::size(sizes) - 1 - i : i;
            char name[24];
            std::snprintf(name, sizeof name, "f%02zu", i);
            WriteAll(base / name, bytes(sizes[k]));
        }
        auto expected = ReadTree(base);
        fs::path archive = root_ / c.archive;
        fs::remove(archive);
        ASSERT_EQ(tar_.Command("Tar", "-c -AH --display-dialog=0 -f " + Quote(archive) + " " +
                                          QuoteFolder(base) + " *.*"),
                  0)
            << c.what;
        fs::path out = root_ / "gnu";
        fs::remove_all(out);
        fs::create_directories(out);
        EXPECT_EQ(RunTool("tar -xf " + Quote(archive) + " -C " + Quote(out)), 0) << c.what;
        EXPECT_EQ(ReadTree(out), expected) << c.what;
    }
}

// Every suffix that names a compression writes it: the stream starts with that compression's
// magic, other tools read it, and listing names its method. ".taz" and ".tar.Z" once wrote a
// plain archive under a compressed name.
TEST_F(TarLibrary, EachSuffixWritesItsCompression) {
    fs::path base = TestData("tar/files");
    auto expected = ReadTree(base);
    struct Case {
        const char* name;
        std::string magic;
        const char* method;
        size_t at = 0;
    };
    const Case cases[] = {
        {"t.taz", "\x1F\x9D", "-taz-"},
        {"t.tar.Z", "\x1F\x9D", "-taz-"},
        {"t.TGZ", "\x1F\x8B", "-tgz-"},
        {"t.tbz2", "BZh", "-tbz-"},
        {"t.txz",
         "\xFD"
         "7zXZ",
         "-txz-"},
        {"t.tzst", "\x28\xB5\x2F\xFD", "-tzs-"},
        {"t.tar", std::string("ustar\0", 6), "-tar-", 257},
    };
    for (const Case& c : cases) {
        fs::path archive = root_ / c.name;
        ASSERT_EQ(Pack(archive, base), 0) << c.name;
        EXPECT_EQ(ReadAll(archive).substr(c.at, c.magic.size()), c.magic) << c.name;
        fs::path out = root_ / (std::string("bsdtar-") + c.name);
        fs::create_directories(out);
        EXPECT_EQ(RunTool("bsdtar -xf " + Quote(archive) + " -C " + Quote(out)), 0) << c.name;
        EXPECT_EQ(ReadTree(out), expected) << c.name;
        fs::remove_all(dest());
        EXPECT_EQ(Extract(archive), 0) << c.name;
        EXPECT_EQ(ReadTree(dest()), expected) << c.name;
        auto listed = List(archive);
        ASSERT_FALSE(listed.empty()) << c.name;
        EXPECT_STREQ(listed.begin()->second.method, c.method) << c.name;
    }
    // compress(1) data as the compress tools have it: gzip decodes it too.
    EXPECT_EQ(RunTool("gzip -t " + Quote(root_ / "t.taz")), 0);
}

TEST_F(TarLibrary, SwitchesForFoldersHiddenFilesAndAttributes) {
    fs::path base = root_ / "base";
    WriteAll(base / "top.txt", "top\n");
    WriteAll(base / ".hidden", "hidden\n");
    WriteAll(base / "sub/inner.txt", "inner\n");
    fs::permissions(base / "top.txt", fs::perms(0600));
    fs::path archive = root_ / "s.tar";
    ASSERT_EQ(tar_.Command("Tar", "-c -AA --display-dialog=0 -f " + Quote(archive) + " " +
                                      QuoteFolder(base) + " *.*"),
              0);
    auto listed = List(archive);
    EXPECT_EQ(listed.size(), 3u);
    EXPECT_FALSE(listed.count(".hidden"));
    EXPECT_TRUE(listed.count("sub/"));
    EXPECT_EQ(Extract(archive, "--use-directory=0 -I --display-dialog=0"), 0);
    EXPECT_EQ(ReadTree(dest()),
              (std::map<std::string, std::string>{{"top.txt", "top\n"}, {"inner.txt", "inner\n"}}));
    EXPECT_NE(fs::status(dest() / "top.txt").permissions(), fs::perms(0600));  // -I: not restored
    fs::remove_all(dest());
    EXPECT_EQ(Extract(archive), 0);
    EXPECT_EQ(fs::status(dest() / "top.txt").permissions(), fs::perms(0600));
    EXPECT_EQ(tar_.Command("Tar", "-c -Q -f " + Quote(archive) + " " + QuoteFolder(base) + " *.*"),
              result::kBadCommand);
}

TEST_F(TarLibrary, HostileAndBrokenArchives) {
    struct Case {
        const char* archive;
        int32_t code;
        std::map<std::string, std::string> files;
    };
    const Case cases[] = {
        {"hostile-names.tar",
         result::kAccessDenied,
         {{"ok", "<folder>"}, {"ok/good.txt", "good\n"}}},
        {"hostile-links.tar",
         result::kAccessDenied,
         {{"ok", "<folder>"},
          {"ok/good.txt", "good\n"},
          {"ok/hard-good", "good\n"},
          {"out", "<folder>"},
          {"out/through.txt", "through\n"}}},
    };
    // Compressed, files are finished beside the reading: a link must still see them done.
    for (const Case& c : cases) {
        for (bool gzipped : {false, true}) {
            fs::remove_all(root_);
            fs::create_directories(root_ / "outside");
            WriteAll(root_ / "outside/victim", "victim\n");
            fs::path archive = TestData("tar/" + std::string(c.archive));
            if (gzipped) {
                fs::path copy = root_ / (std::string(c.archive) + ".gz");
                ASSERT_EQ(std::system(("gzip -c " + Quote(archive) + " > " + Quote(copy)).c_str()),
                          0);
                archive = copy;
            }
            std::string what = archive.filename().string();
            EXPECT_EQ(Extract(archive), c.code) << what;
            auto tree = ReadTree(dest());
            for (auto& [name, content] : tree)
                EXPECT_TRUE(c.files.count(name) || content == "<folder>") << what << " " << name;
            for (auto& [name, content] : c.files)
                EXPECT_EQ(tree[name], content) << what << " " << name;
            EXPECT_EQ(ReadTree(root_ / "outside"),
                      (std::map<std::string, std::string>{{"victim", "victim\n"}}))
                << what;
        }
    }
    // Cut inside a header or the compressed data: an error, the entries before the cut are
    // whole, and no file cut short is left behind.
    auto expected = ReadPackedTree(TestData("tar/files"));
    for (const char* archive : {"truncated.tar", "truncated.tar.gz"}) {
        fs::remove_all(dest());
        int32_t code = Extract(TestData("tar/" + std::string(archive)));
        EXPECT_TRUE(code == result::kBrokenData || code == result::kBrokenHeader ||
                    code == result::kNotValidArchive)
            << archive << " " << code;
        for (auto& [name, content] : ReadTree(dest()))
            EXPECT_EQ(content, expected[name]) << archive << " " << name;
        if (std::string(archive) == "truncated.tar") {
            EXPECT_EQ(ReadAll(dest() / "hello.txt"), "hello\n");
        }
    }
    auto check = tar_.Get<QvCheckArchiveFn>("TarCheckArchive");
    EXPECT_NE(check(TestData("tar/tree-gnutar.tar.xz").c_str(), 2), 0);
    EXPECT_EQ(check(TestData("tar/truncated.tar.gz").c_str(), 2), 0);
    EXPECT_EQ(check(TestData("zip/tree-7zip.zip").c_str(), 0), 0);
}

// Links that lead out only through one another, in both orders, with and without folder parts;
// hard links only to files this extraction wrote ("planted" shares its data with a file outside).
TEST_F(TarLibrary, LinkChainsThatLeadOutAreRefused) {
    using Tree = std::map<std::string, std::string>;
    const Tree common = {{"s", "-> ."},    {"late", "-> t/../outside"},  {"loop1", "-> loop2"},
                         {"lib", "-> ok"}, {"alias", "-> lib/good.txt"}, {"planted", "victim\n"}};
    struct Case {
        const char* opts;
        Tree files;  // beside `common`
    };
    const Case cases[] = {
        {"--display-dialog=0",
         {{"ok", "<folder>"},
          {"ok/good.txt", "good\n"},
          {"d", "<folder>"},
          {"d/through.txt", "through\n"},
          {"sub", "<folder>"},
          {"sub/up", "-> .."}}},
        // "up" lands in the destination itself, where ".." leads out; "sub" is never made, so "x"
        // stays inside.
        {"--use-directory=0 --display-dialog=0",
         {{"good.txt", "good\n"}, {"through.txt", "through\n"}, {"x", "-> sub/up/../outside"}}},
    };
    for (const Case& c : cases) {
        fs::remove_all(root_);
        fs::create_directories(root_ / "outside");
        fs::create_directories(dest());
        WriteAll(root_ / "outside/victim", "victim\n");
        fs::create_hard_link(root_ / "outside/victim", dest() / "planted");
        std::string log;
        EXPECT_EQ(Extract(TestData("tar/hostile-link-chains.tar"), c.opts, &log),
                  result::kAccessDenied)
            << c.opts;
        Tree expected = c.files;
        expected.insert(common.begin(), common.end());
        EXPECT_EQ(ReadTree(dest()), expected) << c.opts;
        for (const char* refused :
             {"refused d:", "refused e:", "refused t:", "refused loop2:", "refused hard-to-link:",
              "refused hard-to-planted:", "refused hard-through-link:"})
            EXPECT_NE(log.find(refused), std::string::npos) << c.opts << " " << refused;
        EXPECT_EQ(ReadTree(root_ / "outside"), (Tree{{"victim", "victim\n"}})) << c.opts;
        EXPECT_EQ(fs::hard_link_count(root_ / "outside/victim"), 2u) << c.opts;
    }
}

// -c over an existing archive writes beside it: a failure midway (here, writes past 64 KiB fail
// with EFBIG) leaves the old archive as it was and no work file, in every compression.
TEST_F(TarLibrary, AFailedCreateLeavesTheOldArchive) {
    fs::path small = root_ / "small";
    WriteAll(small / "hello.txt", "hello\n");
    fs::path big = root_ / "big";
    std::string noise;
    for (uint64_t state = 7; noise.size() < (1u << 20);)
        noise.push_back(static_cast<char>((state = state * 6364136223846793005u + 1) >> 56));
    WriteAll(big / "noise.bin", noise);
    for (const char* name : {"old.tar", "old.tar.gz", "old.tar.bz2", "old.tar.xz", "old.tar.zst"}) {
        fs::path archive = root_ / "archives" / name;
        fs::create_directories(archive.parent_path());
        ASSERT_EQ(tar_.Command("Tar", "-c --display-dialog=0 -f " + Quote(archive) + " " +
                                          QuoteFolder(small) + " *.*"),
                  0)
            << name;
        std::string before = ReadAll(archive);
        struct rlimit old_limit;
        getrlimit(RLIMIT_FSIZE, &old_limit);
        auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {64 << 10, old_limit.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
        int32_t code = tar_.Command(
            "Tar", "-c --display-dialog=0 -f " + Quote(archive) + " " + QuoteFolder(big) + " *.*");
        setrlimit(RLIMIT_FSIZE, &old_limit);
        std::signal(SIGXFSZ, old_handler);
        EXPECT_EQ(code, result::kWriteError) << name;
        EXPECT_EQ(ReadAll(archive), before) << name;
        EXPECT_EQ(std::distance(fs::directory_iterator(archive.parent_path()), {}), 1) << name;
        fs::remove_all(archive.parent_path());
    }
}

// A cut must never read as the end of a complete archive: what lies before it is extracted whole
// and the result is an error. A cut just into the second of two gzip members, split between two
// entries, ends the decoded data exactly at an entry's end, where a decoder that just stopped
// would look like a complete archive without its end blocks.
TEST_F(TarLibrary, ArchivesCutAnywhereGiveAnError) {
    fs::path base = root_ / "base";
    uint64_t state = 1;
    for (int i = 0; i < 1000; ++i) {
        std::string text;  // digits that do not compress much, so bzip2 makes more than one block
        while (text.size() < 400)
            text +=
                std::to_string((state = state * 6364136223846793005u + 1442695040888963407u) >> 40);
        WriteAll(base / ("d" + std::to_string(i % 10)) / ("f" + std::to_string(i)), text);
    }
    auto expected = ReadTree(base);
    ASSERT_EQ(RunTool("tar -C " + Quote(base) + " -cf " + Quote(root_ / "plain.tar") + " ."), 0);
    std::string plain = ReadAll(root_ / "plain.tar");
    size_t split = 0;  // the end of the entry that passes the middle
    size_t entries = 0;
    for (; split < plain.size() / 2; ++entries)
        split += 512 + (std::stoull(plain.substr(split + 124, 12), nullptr, 8) + 511) / 512 * 512;
    WriteAll(root_ / "first", plain.substr(0, split));
    WriteAll(root_ / "second", plain.substr(split));
    ASSERT_EQ(RunTool("gzip -n -f " + Quote(root_ / "first") + " " + Quote(root_ / "second")), 0);
    std::string first = ReadAll(root_ / "first.gz");
    struct Case {
        std::string what;
        std::string bytes;
        std::vector<size_t> percents;
        std::vector<size_t> cuts;  // beside the percents
        size_t whole_entries;      // extracted at every cut; 0: not known
    };
    // "./" is the destination itself and extracts as nothing.
    std::vector<Case> cases = {{"two gzip members",
                                first + ReadAll(root_ / "second.gz"),
                                {},
                                {first.size() + 20},
                                entries - 1}};
    for (const char* compressor : {"gzip", "bzip2", "xz", "zstd"}) {
        fs::path whole = root_ / (std::string("whole.tar.") + compressor);
        ASSERT_EQ(RunTool(std::string("tar -I ") + compressor + " -C " + Quote(base) + " -cf " +
                          Quote(whole) + " ."),
                  0)
            << compressor;
        cases.push_back({compressor, ReadAll(whole), {10, 25, 50, 75, 95}, {}, 0});
    }
    for (Case& c : cases) {
        for (size_t percent : c.percents) c.cuts.push_back(c.bytes.size() * percent / 100);
        for (size_t cut : c.cuts) {
            std::string what =
                c.what + " cut at " + std::to_string(cut) + " of " + std::to_string(c.bytes.size());
            fs::path archive = root_ / "cut.tar.gz";
            WriteAll(archive, c.bytes.substr(0, cut));
            fs::remove_all(dest());
            int32_t code = Extract(archive);
            auto tree = ReadTree(dest());
            for (auto& [name, content] : tree)
                EXPECT_EQ(content, expected[name]) << what << ": " << name;
            if (c.whole_entries) {
                EXPECT_EQ(tree.size(), c.whole_entries) << what;
            }
            // A cut inside the first block of a codec that decodes whole blocks (bzip2, zstd)
            // leaves nothing to read: no TAR archive is seen at all.
            if (tree.empty()) {
                EXPECT_EQ(code, result::kNotValidArchive) << what;
            } else {
                EXPECT_TRUE(code == result::kBrokenData || code == result::kBrokenHeader)
                    << what << ": " << code;
            }
        }
    }
}

// A .tar.gz of many small files is finished on two threads: every file, time, link and repeated
// name must come out as if written one after another, and the log must keep the archive's
// order. Files that cannot be written (past a 64 KiB limit: EFBIG) fail alone, on whichever
// thread, and none is left cut short; plain TAR, written on one thread, must agree.
TEST_F(TarLibrary, ManyFilesComeOutAsIfWrittenOneAfterAnother) {
    fs::path base = root_ / "base";
    std::set<std::string> too_big;  // for the limit
    uint64_t state = 3;
    for (int i = 0; i < 500; ++i) {
        std::string name = "d" + std::to_string(i % 8) + "/f" + std::to_string(i);
        std::string text;  // over 8 MiB in all, so the decoder runs ahead and helps
        while (text.size() < (i % 25 == 0 ? 80000u : 18000u))
            text +=
                std::to_string((state = state * 6364136223846793005u + 1442695040888963407u) >> 44);
        WriteAll(base / name, text);
        if (text.size() > (64u << 10)) too_big.insert(name);
    }
    WriteAll(base / "d3/big", std::string(2 << 20, 'b'));  // written as it is read
    too_big.insert("d3/big");
    fs::create_hard_link(base / "d0/f8", base / "d7/hard");
    fs::create_symlink("d0/f0", base / "link");
    auto expected = ReadTree(base);
    ASSERT_EQ(RunTool("tar -C " + Quote(base) + " -cf " + Quote(root_ / "a.tar") + " ."), 0);
    for (const char* copy : {"a later copy\n", "the last copy\n"}) {  // one right after the other
        WriteAll(root_ / "later/d0/f16", copy);
        ASSERT_EQ(RunTool("tar -C " + Quote(root_ / "later") + " -rf " + Quote(root_ / "a.tar") +
                          " ./d0/f16"),
                  0);
    }
    expected["d0/f16"] = "the last copy\n";
    ASSERT_EQ(RunTool("gzip -k -n " + Quote(root_ / "a.tar")), 0);
    ASSERT_EQ(std::system(
                  ("tar -tf " + Quote(root_ / "a.tar") + " > " + Quote(root_ / "listing")).c_str()),
              0);
    auto seconds = [](const fs::path& p) {
        return std::chrono::floor<std::chrono::seconds>(fs::last_write_time(p).time_since_epoch())
            .count();
    };

    struct Case {
        const char* archive;
        bool limited;
    };
    for (const Case& c : {Case{"a.tar.gz", false}, Case{"a.tar.gz", true}, Case{"a.tar", true}}) {
        std::string what = std::string(c.archive) + (c.limited ? " limited" : "");
        fs::remove_all(dest());
        struct rlimit old_limit;
        getrlimit(RLIMIT_FSIZE, &old_limit);
        auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {c.limited ? 64 << 10 : old_limit.rlim_cur, old_limit.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::string log;
        int32_t code = Extract(root_ / c.archive, "--display-dialog=0", &log);
        setrlimit(RLIMIT_FSIZE, &old_limit);
        std::signal(SIGXFSZ, old_handler);

        EXPECT_EQ(code, c.limited ? result::kWriteError : 0) << what;
        auto tree = expected;
        if (c.limited)
            for (const std::string& name : too_big) tree.erase(name);
        EXPECT_EQ(ReadTree(dest()), tree) << what;
        EXPECT_EQ(fs::hard_link_count(dest() / "d7/hard"), 2u) << what;
        for (const char* name : {"d0/f8", "d5/f5", "d0/f16"})
            EXPECT_EQ(seconds(dest() / name),
                      seconds(root_ / (std::string(name) == "d0/f16" ? "later" : "base") / name))
                << what << " " << name;
        std::vector<std::string> wanted;  // each entry's line in archive order; "./" is nothing
        std::istringstream names(ReadAll(root_ / "listing"));
        for (std::string name; std::getline(names, name);)
            if (name != "./")
                wanted.push_back(
                    (c.limited && too_big.count(name.substr(2)) ? "failed " : "extracted ") + name);
        std::vector<std::string> logged;  // a failure's line up to its reason
        std::istringstream lines(log);
        for (std::string line; std::getline(lines, line);)
            logged.push_back(
                line.substr(0, line.rfind("failed ", 0) == 0 ? line.find(':') : line.size()));
        EXPECT_EQ(logged, wanted) << what;
    }
}

// More than two 4 MiB gzip members: every reader must take them as one stream.
TEST_F(TarLibrary, LargeGzipInMembersReadsBackEverywhere) {
    fs::path base = root_ / "base";
    std::string text;
    for (uint64_t i = 0; text.size() < (11u << 20); ++i)
        text += std::to_string(i * 2654435761u % 1000003) + " words\n";
    WriteAll(base / "big.txt", text);
    WriteAll(base / "small.txt", "small\n");
    fs::path archive = root_ / "big.tar.gz";
    ASSERT_EQ(tar_.Command("Tar", "-c --display-dialog=0 -f " + Quote(archive) + " " +
                                      QuoteFolder(base) + " *.*"),
              0);
    EXPECT_EQ(RunTool("gzip -t " + Quote(archive)), 0);
    auto expected = ReadTree(base);
    for (const char* tool : {"tar -xzf", "bsdtar -xf"}) {
        fs::path out = root_ / std::string(tool).substr(0, 3);
        fs::create_directories(out);
        EXPECT_EQ(RunTool(std::string(tool) + " " + Quote(archive) + " -C " + Quote(out)), 0)
            << tool;
        EXPECT_EQ(ReadTree(out), expected) << tool;
    }
    fs::path seven = root_ / "7zz";
    EXPECT_EQ(RunTool("7zz x -y " + Quote(archive) + " -o" + Quote(seven)), 0);
    EXPECT_EQ(RunTool("gzip -dc " + Quote(archive) + " | cmp - " + Quote(seven / "big.tar")), 0);
    EXPECT_EQ(Extract(archive), 0);
    EXPECT_EQ(ReadTree(dest()), expected);
}

// Files with holes, as GNU tar stores them in each of its sparse forms and as bsdtar does, come
// out byte for byte, listed at their full size, with their holes as holes: no more room on disk
// than their data takes.
TEST_F(TarLibrary, SparseEntriesInEveryFormComeOutWhole) {
    fs::path base = root_ / "base";
    fs::create_directories(base);
    {
        std::ofstream out(base / "holes.bin", std::ios::binary);
        out.seekp(3 << 20);
        out << std::string(5000, 'm');
        out.seekp(9 << 20);
        out << "end";
    }
    {
        std::ofstream out(base / "small-holes.bin",
                          std::ios::binary);  // small files are finished apart
        out << "start";
        out.seekp((1 << 20) - 3);
        out << "end";
    }
    WriteAll(base / "hole-at-end.bin", std::string(4096, 'a'));
    fs::resize_file(base / "hole-at-end.bin", 6 << 20);
    WriteAll(base / "only-hole.bin", "");
    fs::resize_file(base / "only-hole.bin", 5 << 20);
    WriteAll(base / "plain.txt", "plain\n");
    auto expected = ReadTree(base);
    const char* files = " holes.bin small-holes.bin hole-at-end.bin only-hole.bin plain.txt";
    for (const char* maker : {"tar -S --format=gnu", "tar -S --format=pax --sparse-version=0.0",
                              "tar -S --format=pax --sparse-version=0.1",
                              "tar -S --format=pax --sparse-version=1.0", "tar -S -z", "bsdtar"}) {
        fs::path archive = root_ / "sparse.tar";
        ASSERT_EQ(
            RunTool(std::string(maker) + " -cf " + Quote(archive) + " -C " + Quote(base) + files),
            0)
            << maker;
        EXPECT_LT(fs::file_size(archive), 1u << 20) << maker;  // the holes are not stored
        fs::remove_all(dest());
        EXPECT_EQ(Extract(archive), 0) << maker;
        EXPECT_EQ(ReadTree(dest()), expected) << maker;
        for (const char* name :
             {"holes.bin", "small-holes.bin", "hole-at-end.bin", "only-hole.bin"})
            EXPECT_LE(DiskUse(dest() / name), DiskUse(base / name) + (64u << 10))
                << maker << " " << name;
        EXPECT_EQ(List(archive)["holes.bin"].original_size, (9u << 20) + 3) << maker;
    }
}

TEST_F(TarLibrary, VersionAndRunningFlag) {
    EXPECT_GE(tar_.Get<QvGetVersion16Fn>("TarGetVersion")(), 100);
    EXPECT_EQ(tar_.Get<QvGetRunningFn>("TarGetRunning")(), 0);
}

}  // namespace
}  // namespace quorvex6::testing
