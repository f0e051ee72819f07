// The shared extraction and packing jobs through each real library (TAR, ZIP, LHA), with the
// command lines the control builds: what no archive kind may do differently.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <random>

#include "backends/support/backend_library.h"
#include "backends/support/child_process.h"
#include "quorvex6/result_codes.h"

namespace quorvex6::testing {
namespace {

namespace result = quorvex6::result;

struct PackOptions {
    bool junk = false;   // names without their folders
    bool store = false;  // no compression, so that big files are quick to pack
};

// One archive kind: its libraries and the command lines the control builds for it.
struct Kind {
    const char* name;
    const char* extension;
    const char* pack_library;
    const char* pack_entry;
    const char* extract_library;
    const char* extract_entry;
    bool has_time_check;
    std::string (*pack)(const fs::path& archive, const fs::path& base, const PackOptions& options);
    std::string (*extract)(const fs::path& archive, const fs::path& dest, bool time_check);
};

const Kind kKinds[] = {
    {"tar", ".tar", "tar32", "Tar", "tar32", "Tar", false,
     [](const fs::path& a, const fs::path& b, const PackOptions& o) {
         return std::string("-c --display-dialog=0") + (o.junk ? " --use-directory=0" : "") +
                " -f " + Quote(a) + " " + QuoteFolder(b) + " *.*";
     },
     [](const fs::path& a, const fs::path& d, bool) {
         return "-x --display-dialog=0 -f " + Quote(a) + " " + QuoteFolder(d);
     }},
    {"zip", ".zip", "zip32j", "Zip", "unzip32", "UnZip", true,
     [](const fs::path& a, const fs::path& b, const PackOptions& o) {
         return std::string("-q -r") + (o.junk ? " -j" : "") + (o.store ? " -0" : "") + " " +
                Quote(a) + " " + QuoteFolder(b) + " *.*";
     },
     [](const fs::path& a, const fs::path& d, bool time_check) {
         return std::string(time_check ? "-u" : "-x") + " --i " + Quote(a) + " " + QuoteFolder(d);
     }},
    {"lha", ".lzh", "unlha32", "Unlha", "unlha32", "Unlha", true,
     [](const fs::path& a, const fs::path& b, const PackOptions& o) {
         return std::string("u -+ -r2") + (o.junk ? " -x0" : " -x1") + (o.store ? " -jm0" : "") +
                " " + Quote(a) + " " + QuoteFolder(b) + " *.*";
     },
     [](const fs::path& a, const fs::path& d, bool time_check) {
         return std::string("x -+") + (time_check ? "" : " -c1") + " " + Quote(a) + " " +
                QuoteFolder(d);
     }},
};

class LibraryJobs : public ScratchTest {
  protected:
    void SetUp() override {
        ScratchTest::SetUp();
        root_ = fs::canonical(root_);
    }
    void TearDown() override {
        // Folders a test made read-only must not keep their contents from being removed.
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(root_, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
            if (it->is_directory(ec) && !it->is_symlink(ec))
                fs::permissions(it->path(), fs::perms::owner_all, ec);
        ScratchTest::TearDown();
    }
    const BackendLibrary& Library(const char* name) {
        for (auto& [n, lib] : libraries_)
            if (n == name) return *lib;
        libraries_.emplace_back(name, std::make_unique<BackendLibrary>(name));
        return *libraries_.back().second;
    }
    int32_t Pack(const Kind& k, const fs::path& archive, const fs::path& base,
                 const PackOptions& options = {}, std::string* log = nullptr) {
        return Library(k.pack_library).Command(k.pack_entry, k.pack(archive, base, options), log);
    }
    int32_t Extract(const Kind& k, const fs::path& archive, const fs::path& dest, bool time_check,
                    std::string* log = nullptr) {
        return Library(k.extract_library)
            .Command(k.extract_entry, k.extract(archive, dest, time_check), log);
    }
    std::vector<std::pair<std::string, std::unique_ptr<BackendLibrary>>> libraries_;
};

std::string Bytes(size_t size) {
    std::string out(size, '\0');
    std::mt19937 random(20240101);
    for (char& c : out) c = static_cast<char>(random() % 64 + 32);
    return out;
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Whether `body` holds, run as an unprivileged user when the tests run as root (whom permissions
// do not stop).
bool AsUser(const std::function<bool()>& body) {
    if (geteuid() != 0) return body();
    pid_t pid =
        StartChild([&] { return setgid(65534) == 0 && setuid(65534) == 0 && body() ? 0 : 1; });
    return WaitForChild(pid).code == 0;
}

// Folders alone would become one entry: two files of one name are refused, and nothing is packed.
TEST_F(LibraryJobs, NamesThatCollideWithoutTheirFoldersAreRefused) {
    WriteAll(root_ / "s/a/same.txt", "A");
    WriteAll(root_ / "s/b/same.txt", "B");
    WriteAll(root_ / "s/b/other.txt", "other");
    for (const Kind& k : kKinds) {
        fs::path archive = root_ / (std::string("junk") + k.extension);
        std::string log;
        EXPECT_EQ(Pack(k, archive, root_ / "s", {.junk = true}, &log), result::kSameNameStored)
            << k.name;
        EXPECT_NE(log.find("refused b/same.txt"), std::string::npos) << k.name << ": " << log;
        EXPECT_FALSE(fs::exists(archive)) << k.name;
        EXPECT_EQ(Pack(k, archive, root_ / "s/b", {.junk = true}), 0) << k.name;
    }
}

// A read-only archive is left as it is by an update, as by the archivers it comes from.
TEST_F(LibraryJobs, AWriteProtectedArchiveIsNotUpdated) {
    WriteAll(root_ / "s/a.txt", "a");
    for (const Kind& k : kKinds) {
        fs::path archive = root_ / (std::string("ro") + k.extension);
        ASSERT_EQ(Pack(k, archive, root_ / "s"), 0) << k.name;
        std::string before = ReadAll(archive);
        fs::permissions(archive, fs::perms(0444));
        WriteAll(root_ / "s/new.txt", std::string("new ") + k.name);
        std::string log;
        EXPECT_EQ(Pack(k, archive, root_ / "s", {}, &log), result::kReadOnlyArchive) << k.name;
        EXPECT_NE(log.find("write-protected"), std::string::npos) << k.name << ": " << log;
        EXPECT_TRUE(ReadAll(archive) == before) << k.name;
        EXPECT_EQ(fs::status(archive).permissions(), fs::perms(0444)) << k.name;
        for (const std::string& name : Names(root_))
            EXPECT_EQ(name.find(".qv"), std::string::npos) << name;
        fs::remove(root_ / "s/new.txt");
    }
}

// A new archive in a folder nobody may write to says so, with the code of a refused access.
TEST_F(LibraryJobs, ANewArchiveInAWriteProtectedFolderSaysWhy) {
    WriteAll(root_ / "s/a.txt", "a");
    fs::create_directories(root_ / "locked");
    fs::permissions(root_, fs::perms(0755));
    fs::permissions(root_ / "locked", fs::perms(0555));
    for (const Kind& k : kKinds) {
        fs::path archive = root_ / "locked" / (std::string("new") + k.extension);
        EXPECT_TRUE(AsUser([&] {
            std::string log;
            int32_t code = Pack(k, archive, root_ / "s", {}, &log);
            bool told =
                code == result::kAccessDenied && log.find("write-protected") != std::string::npos;
            if (!told) std::fprintf(stderr, "%s: %d %s\n", k.name, code, log.c_str());
            return told;
        })) << k.name;
        EXPECT_FALSE(fs::exists(archive)) << k.name;
    }
}

// A signal stops an extraction in the middle of a file: nothing stays under its name, so that a
// second run, even one that keeps newer files, gives the whole file; an old file it was to
// replace stays as it was, and no work file is left beside it. Only where the next run replaces
// every file anyway (TAR) may one that cannot be caught leave a file cut short.
TEST_F(LibraryJobs, AnInterruptedExtractionLeavesNothingHalfWritten) {
    const std::string big = Bytes(16 << 20);
    WriteAll(root_ / "s/big.bin", big);
    struct Case {
        int sig;
        bool over_old_file;
    };
    const Case cases[] = {{SIGTERM, false}, {SIGINT, false}, {SIGHUP, false},
                          {SIGKILL, false}, {SIGTERM, true}, {SIGKILL, true}};
    for (const Kind& k : kKinds) {
        fs::path archive = root_ / (std::string("big") + k.extension);
        ASSERT_EQ(Pack(k, archive, root_ / "s", {.store = true}), 0) << k.name;
        for (const Case& c : cases) {
            std::string what = std::string(k.name) + " " + strsignal(c.sig) +
                               (c.over_old_file ? " over an old file" : "");
            fs::path dest = root_ / "x";
            auto reset = [&] {
                fs::remove_all(dest);
                fs::create_directories(dest);
                if (!c.over_old_file) return;
                WriteAll(dest / "big.bin", "old");
                fs::last_write_time(dest / "big.bin", fs::file_time_type::clock::now() -
                                                          std::chrono::hours(24 * 365));
            };
            reset();
            std::optional<ChildEnd> end = SignalWhileWritingIn(
                [&] { return Extract(k, archive, dest, k.has_time_check) == 0 ? 0 : 1; }, dest,
                c.sig, reset);
            ASSERT_TRUE(end) << what << ": the extraction could not be caught writing";
            EXPECT_EQ(end->signal, c.sig) << what;
            if (c.over_old_file) {
                EXPECT_EQ(Names(dest), std::vector<std::string>{"big.bin"}) << what;
                EXPECT_EQ(ReadAll(dest / "big.bin"), "old") << what;
            } else {
                // The child is caught while it holds the file open for writing, which it still
                // does for a moment after the whole file is in place: that one may stay, whole.
                if ((c.sig != SIGKILL || k.has_time_check) && !Names(dest).empty()) {
                    EXPECT_EQ(Names(dest), std::vector<std::string>{"big.bin"}) << what;
                    EXPECT_TRUE(ReadAll(dest / "big.bin") == big)
                        << what << ": a file cut short at " << ReadAll(dest / "big.bin").size();
                }
                EXPECT_EQ(Extract(k, archive, dest, k.has_time_check), 0) << what;
                EXPECT_TRUE(ReadAll(dest / "big.bin") == big) << what;
            }
        }
    }
}

// A signal stops a pack: the folder of the archive holds what it held, the old archive intact.
TEST_F(LibraryJobs, AnInterruptedPackLeavesNoWorkFile) {
    WriteAll(root_ / "s/a.txt", "a");
    const std::string big = Bytes(16 << 20);
    for (const Kind& k : kKinds) {
        fs::path out = root_ / (std::string("out-") + k.name);
        fs::path archive = out / (std::string("p") + k.extension);
        fs::create_directories(out);
        ASSERT_EQ(Pack(k, archive, root_ / "s"), 0) << k.name;
        const std::string before = ReadAll(archive);
        WriteAll(root_ / "s/big.bin", big);
        for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGKILL}) {
            std::string what = std::string(k.name) + " " + strsignal(sig);
            // A pack that finished before it was caught made a new archive: the old one again.
            auto reset = [&] { WriteAll(archive, before); };
            std::optional<ChildEnd> end = SignalWhileWritingIn(
                [&] { return Pack(k, archive, root_ / "s") == 0 ? 0 : 1; }, out, sig, reset);
            ASSERT_TRUE(end) << what << ": the pack could not be caught writing";
            EXPECT_EQ(end->signal, sig) << what;
            EXPECT_EQ(Names(out), std::vector<std::string>{archive.filename().string()}) << what;
            EXPECT_TRUE(ReadAll(archive) == before) << what;
        }
        fs::remove(root_ / "s/big.bin");
    }
}

// Two updates of one archive at once: each either has its addition in the archive or fails
// saying the archive changed under it; neither is lost while it reports success.
TEST_F(LibraryJobs, UpdatesAtOnceLoseNoAddition) {
    for (const Kind& k : kKinds) {
        if (std::string(k.name) == "tar") continue;  // packing a TAR makes a new archive
        for (int round = 0; round < 5; ++round) {
            std::string what = std::string(k.name) + " round " + std::to_string(round);
            fs::path archive = root_ / (std::string("both") + std::to_string(round) + k.extension);
            WriteAll(root_ / "s0/first.txt", "first");
            ASSERT_EQ(Pack(k, archive, root_ / "s0"), 0) << what;
            pid_t pids[2];
            for (int i = 0; i < 2; ++i) {
                fs::path base = root_ / ("s" + std::to_string(i + 1));
                WriteAll(base / ("added" + std::to_string(i + 1) + ".txt"), Bytes(1 << 20));
                pids[i] = StartChild([&, base] {
                    int32_t code = Pack(k, archive, base);
                    if (code == result::kCannotWriteBack)
                        code = Pack(k, archive, base);  // once more, as told
                    return code == 0 ? 0 : 1;
                });
            }
            for (pid_t pid : pids) EXPECT_EQ(WaitForChild(pid).code, 0) << what;
            fs::path dest = root_ / "both-out";
            fs::remove_all(dest);
            ASSERT_EQ(Extract(k, archive, dest, false), 0) << what;
            EXPECT_EQ(Names(dest),
                      (std::vector<std::string>{"added1.txt", "added2.txt", "first.txt"}))
                << what;
        }
    }
}

// With the time check only a file can be newer: a folder at a file's name, one already there or
// one the same archive made, is in the way (0x8010) rather than "not newer".
TEST_F(LibraryJobs, AFolderInTheWayOfAFileIsNoNewerFile) {
    WriteAll(root_ / "s/f.txt", "file");
    for (const Kind& k : kKinds) {
        if (!k.has_time_check) continue;
        fs::path archive = root_ / (std::string("f") + k.extension);
        ASSERT_EQ(Pack(k, archive, root_ / "s"), 0) << k.name;
        fs::path dest = root_ / (std::string("x-") + k.name);
        fs::create_directories(dest / "f.txt");
        std::string log;
        EXPECT_EQ(Extract(k, archive, dest, true, &log), result::kFileExists)
            << k.name << ": " << log;
        EXPECT_NE(log.find("in the way"), std::string::npos) << k.name << ": " << log;
        EXPECT_TRUE(fs::is_directory(dest / "f.txt")) << k.name;
    }
    fs::path both = root_ / "both.zip";
    ASSERT_EQ(RunTool("python3 -c \"import zipfile; z = zipfile.ZipFile('" + both.string() +
                      "', 'w'); z.writestr('x/', ''); z.writestr('x', 'data')\""),
              0);
    std::string log;
    EXPECT_EQ(Extract(kKinds[1], both, root_ / "x-both", true, &log), result::kFileExists) << log;
}

// Folders come back with their stored permissions (a private folder stays private), set once
// their contents are written (a read-only folder is still filled), from our archives and the
// peers'.
TEST_F(LibraryJobs, FolderPermissionsAreRestored) {
    fs::path s = root_ / "s";
    WriteAll(s / "private/p.txt", "p");
    WriteAll(s / "readonly/deeper/r.txt", "r");
    WriteAll(s / "shared/x.txt", "x");
    fs::permissions(s / "private", fs::perms(0700));
    fs::permissions(s / "readonly", fs::perms(0555));
    fs::permissions(s / "shared", fs::perms(0775));
    struct Made {
        std::string name;
        const Kind* kind;
        fs::path archive;
    };
    std::vector<Made> archives;
    for (const Kind& k : kKinds) {
        fs::path archive = root_ / (std::string("ours") + k.extension);
        ASSERT_EQ(Pack(k, archive, s), 0) << k.name;
        archives.push_back({std::string("ours ") + k.name, &k, archive});
    }
    ASSERT_EQ(RunTool("tar -cf " + Quote(root_ / "gnu.tar") + " -C " + Quote(s) + " ."), 0);
    archives.push_back({"GNU tar", &kKinds[0], root_ / "gnu.tar"});
    ASSERT_EQ(RunTool("cd " + Quote(s) + " && zip -qr " + Quote(root_ / "infozip.zip") + " ."), 0);
    archives.push_back({"Info-ZIP", &kKinds[1], root_ / "infozip.zip"});
    for (const Made& m : archives) {
        fs::path dest = root_ / "x";
        fs::remove_all(dest);
        std::string log;
        ASSERT_EQ(Extract(*m.kind, m.archive, dest, false, &log), 0) << m.name << ": " << log;
        EXPECT_EQ(fs::status(dest / "private").permissions(), fs::perms(0700)) << m.name;
        EXPECT_EQ(fs::status(dest / "readonly").permissions(), fs::perms(0555)) << m.name;
        EXPECT_EQ(fs::status(dest / "shared").permissions(), fs::perms(0775)) << m.name;
        EXPECT_EQ(ReadAll(dest / "readonly/deeper/r.txt"), "r") << m.name;
        EXPECT_EQ(ReadAll(dest / "private/p.txt"), "p") << m.name;
        fs::permissions(dest / "readonly", fs::perms::owner_all);
    }
}

}  // namespace
}  // namespace quorvex6::testing
