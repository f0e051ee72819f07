// What the tests of libunlha32 share: the library through the real loader, with the command
// lines the control builds, and the tools nobody here wrote that check what it writes.
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/loader.h"
#include "quorvex6/archiver_api.h"
#include "support/test_support.h"

namespace quorvex6::unlha32_test {

namespace fs = std::filesystem;
using quorvex6::testing::TempDir;

class Unlha32 : public ::testing::Test {
  protected:
    void SetUp() override {
        lib_ = quorvex6::platform::DynamicLibrary::Open("unlha32");
        command_ = reinterpret_cast<QvCommandFn>(lib_->Find("Unlha"));
        version_ = reinterpret_cast<QvGetVersion16Fn>(lib_->Find("UnlhaGetVersion"));
        running_ = reinterpret_cast<QvGetRunningFn>(lib_->Find("UnlhaGetRunning"));
        check_ = reinterpret_cast<QvCheckArchiveFn>(lib_->Find("UnlhaCheckArchive"));
        open_ = reinterpret_cast<QvOpenArchiveFn>(lib_->Find("UnlhaOpenArchive"));
        first_ = reinterpret_cast<QvFindFirstFn>(lib_->Find("UnlhaFindFirst"));
        next_ = reinterpret_cast<QvFindNextFn>(lib_->Find("UnlhaFindNext"));
        close_ = reinterpret_cast<QvCloseArchiveFn>(lib_->Find("UnlhaCloseArchive"));
    }

    int32_t Run(const std::string& line) {
        std::vector<char> out(20800, '\0');
        int32_t code = command_(0, line.c_str(), out.data(), static_cast<uint32_t>(out.size()));
        log_ = out.data();
        return code;
    }

    std::string Arc(const std::string& name) const { return dir_.str() + "/" + name; }

    // The control's pack line: "u -+ opts "arc" "base/" names".
    int32_t Pack(const std::string& opts, const std::string& arc, const std::string& base,
                 const std::string& names = "*.*") {
        return Run("u -+ " + opts + " \"" + arc + "\" \"" + base + "/\" " + names);
    }
    int32_t Unpack(const std::string& opts, const std::string& arc, const std::string& dest,
                   const std::string& names = "*.*") {
        return Run("e -+ " + opts + " \"" + arc + "\" \"" + dest + "/\" " + names);
    }

    std::map<std::string, QvEntryInfo> Entries(const std::string& arc) {
        std::map<std::string, QvEntryInfo> out;
        QvArchive h = open_(0, arc.c_str(), 0);
        EXPECT_NE(h, 0u);
        alignas(4) char buf[QV_ENTRY_BUFFER_SIZE];
        auto* info = reinterpret_cast<QvEntryInfo*>(buf);
        for (int32_t r = first_(h, "*.*", info); r == 0; r = next_(h, info))
            out[info->name] = *info;
        EXPECT_EQ(close_(h), 0);
        return out;
    }

    TempDir dir_;
    std::string log_;
    std::shared_ptr<quorvex6::platform::DynamicLibrary> lib_;
    QvCommandFn command_ = nullptr;
    QvGetVersion16Fn version_ = nullptr;
    QvGetRunningFn running_ = nullptr;
    QvCheckArchiveFn check_ = nullptr;
    QvOpenArchiveFn open_ = nullptr;
    QvFindFirstFn first_ = nullptr;
    QvFindNextFn next_ = nullptr;
    QvCloseArchiveFn close_ = nullptr;
};

inline std::string Read(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

// Every regular file below root with its content, by relative path.
inline std::map<std::string, std::string> Tree(const fs::path& root) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        if (e.is_regular_file()) out[fs::relative(e.path(), root).string()] = Read(e.path());
    }
    return out;
}

inline std::string Text(size_t n) {
    std::string s;
    unsigned v = 7;
    while (s.size() < n) {
        v = v * 1103515245 + 12345;
        static const char* words[] = {"lha ", "header ", "level ", "method\n", "window ", "crc "};
        s += words[(v >> 16) % 6];
    }
    s.resize(n);
    return s;
}

// Another program's way of extracting an archive and of naming what it extracts.
struct Tool {
    const char* name;
    const char* command;  // %A the archive, %D the destination folder
    bool reads_lh1;
    bool utf8_names;  // false: every stored name is taken as Shift_JIS
    bool raw_names;   // names land on disk as the stored bytes, Shift_JIS ones included
};

inline constexpr std::array<Tool, 4> kTools = {{
    {"lha", "lha xqyw=\"%D\" \"%A\"", true, false, false},
    {"lhasa", "cd \"%D\" && lhasa xq \"%A\"", true, true, true},
    {"7zz", "7zz x -y -bd \"-o%D\" \"%A\"", false, true, true},
    {"bsdtar", "bsdtar --options hdrcharset=CP932 -xf \"%A\" -C \"%D\"", false, false, false},
}};

inline std::string Replace(std::string s, const std::string& what, const std::string& with) {
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + with.size()))
        s.replace(at, what.size(), with);
    return s;
}

// Extracts with `tool` into a fresh folder. The files are what to trust; the exit status (which
// jlha's lha gives as 0 whatever happened) only where a tool writes the data and then
// reports it damaged.
// `names` (quoted as the shell wants them) selects members.
inline int ExtractWith(const Tool& tool, const std::string& arc, const fs::path& dest,
                       const std::string& names = "") {
    fs::remove_all(dest);
    fs::create_directories(dest);
    std::string line = Replace(Replace(tool.command, "%A", arc), "%D", dest.string());
    return std::system((line + " " + names + " >/dev/null 2>&1").c_str());
}

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitized = true;
#elif defined(__has_feature)
inline constexpr bool kSanitized = __has_feature(address_sanitizer);
#else
inline constexpr bool kSanitized = false;
#endif

inline std::string Output(const std::string& line) {
    std::string out;
    if (FILE* p = popen(line.c_str(), "r")) {
        char buf[4096];
        for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
        pclose(p);
    }
    return out;
}

}  // namespace quorvex6::unlha32_test
