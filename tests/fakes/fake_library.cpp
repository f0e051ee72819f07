// A recording, scriptable archiver library. Built once per library name; each build exports
// exactly the entry points of that library and records every call made to it.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/export.h"
#include "fakes/fake_protocol.h"
#include "quorvex6/archiver_api.h"

QV_DECLARE_ENTRY_POINTS(QV_FAKE_LIBRARY);

namespace {

using quorvex6::fake::Hex;
using quorvex6::fake::Unhex;

struct Script {
    std::map<std::string, int32_t> returns;
    std::map<std::string, std::string> prints;
    std::map<std::string, std::vector<std::string>> entries;
};

std::string FakeDir() {
    const char* dir = std::getenv("QV_FAKE_DIR");
    return dir != nullptr ? dir : "";
}

const Script& CurrentScript() {
    static Script script;
    static struct timespec seen {};
    static off_t seenSize = -1;
    const std::string path = FakeDir() + "/script";
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        script = Script{};
        seenSize = -1;
        return script;
    }
    if (info.st_size == seenSize && info.st_mtim.tv_sec == seen.tv_sec &&
        info.st_mtim.tv_nsec == seen.tv_nsec) {
        return script;
    }
    script = Script{};
    std::ifstream in(path);
    std::string verb, key, value;
    while (in >> verb >> key >> value) {
        if (verb == "return") script.returns[key] = static_cast<int32_t>(std::stol(value));
        if (verb == "print") script.prints[key] = Unhex(value);
        if (verb == "entry") script.entries[key].push_back(Unhex(value));
    }
    seen = info.st_mtim;
    seenSize = info.st_size;
    return script;
}

int32_t Scripted(const std::string& entry, int32_t fallback) {
    const auto& returns = CurrentScript().returns;
    const auto found = returns.find(entry);
    return found != returns.end() ? found->second : fallback;
}

std::string CurrentDirectory() {
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) != nullptr ? buffer : "";
}

// Every token that names a list file (@file or !file, quoted or not), read now: the control
// deletes list files as soon as the call returns.
std::vector<std::string> ListFilesOf(const std::string& command) {
    std::vector<std::string> contents;
    size_t i = 0;
    while (i < command.size()) {
        while (i < command.size() && command[i] == ' ') ++i;
        std::string token;
        bool quoted = false;
        while (i < command.size() && (quoted || command[i] != ' ')) {
            if (command[i] == '"')
                quoted = !quoted;
            else
                token.push_back(command[i]);
            ++i;
        }
        if (token.size() > 1 && (token[0] == '@' || token[0] == '!')) {
            std::ifstream in(token.substr(1), std::ios::binary);
            std::stringstream bytes;
            bytes << in.rdbuf();
            contents.push_back(in ? bytes.str() : std::string());
        }
    }
    return contents;
}

struct Record {
    std::string line;
    Record& Add(const char* key, const std::string& value) {
        line += std::string(line.empty() ? "" : " ") + key + "=" + Hex(value);
        return *this;
    }
    Record& Add(const char* key, long long value) { return Add(key, std::to_string(value)); }
    ~Record() {
        const std::string dir = FakeDir();
        if (dir.empty()) return;
        if (FILE* log = std::fopen((dir + "/calls.log").c_str(), "a")) {
            std::fprintf(log, "%s cwd=%s\n", line.c_str(), Hex(CurrentDirectory()).c_str());
            std::fclose(log);
        }
    }
};

void PrintInto(const std::string& entry, char* out, size_t size) {
    const auto& prints = CurrentScript().prints;
    const auto found = prints.find(entry);
    if (found == prints.end() || out == nullptr) return;
    std::memcpy(out, found->second.data(), std::min(size, found->second.size()));
}

int32_t Command(const std::string& entry, QvWindow hwnd, const char* line, char* out,
                uint32_t size) {
    const std::string command = line != nullptr ? line : "";
    Record record;
    record.Add("entry", entry).Add("hwnd", hwnd).Add("command", command).Add("size", size);
    for (const auto& list : ListFilesOf(command)) record.Add("list", list);
    PrintInto(entry, out, size);
    return Scripted(entry, 0);
}

struct Walk {
    std::map<QvArchive, size_t> cursor;
};

[[maybe_unused]] int32_t Find(const std::string& prefix, const std::string& entry, QvArchive handle,
                              QvEntryInfo* info, bool first) {
    static std::map<std::string, Walk> walks;
    const auto& queued = CurrentScript().entries;
    const auto found = queued.find(prefix);
    size_t& at = walks[prefix].cursor[handle];
    if (first) at = 0;
    const auto scripted = CurrentScript().returns.find(entry);
    if (scripted != CurrentScript().returns.end()) return scripted->second;
    if (found == queued.end() || at >= found->second.size()) return -1;
    std::memcpy(info, found->second[at].data(),
                std::min<size_t>(QV_ENTRY_INFO_SIZE, found->second[at].size()));
    ++at;
    return 0;
}

}  // namespace

#define QV_FAKE_STANDARD_SET(P)                                                             \
    QV_EXPORT int32_t P(QvWindow hwnd, const char* line, char* out, uint32_t size) {        \
        return Command(#P, hwnd, line, out, size);                                          \
    }                                                                                       \
    QV_FAKE_STATUS(P)                                                                       \
    QV_EXPORT int32_t P##CheckArchive(const char* archive, int32_t mode) {                  \
        Record()                                                                            \
            .Add("entry", #P "CheckArchive")                                                \
            .Add("command", archive ? archive : "")                                         \
            .Add("mode", mode);                                                             \
        return Scripted(#P "CheckArchive", 1);                                              \
    }                                                                                       \
    QV_EXPORT QvArchive P##OpenArchive(QvWindow hwnd, const char* archive, uint32_t mode) { \
        Record()                                                                            \
            .Add("entry", #P "OpenArchive")                                                 \
            .Add("hwnd", hwnd)                                                              \
            .Add("command", archive ? archive : "")                                         \
            .Add("mode", mode);                                                             \
        return static_cast<QvArchive>(Scripted(#P "OpenArchive", 1));                       \
    }                                                                                       \
    QV_EXPORT int32_t P##FindFirst(QvArchive h, const char* pattern, QvEntryInfo* info) {   \
        Record()                                                                            \
            .Add("entry", #P "FindFirst")                                                   \
            .Add("hwnd", h)                                                                 \
            .Add("pattern", pattern ? pattern : "");                                        \
        return Find(#P, #P "FindFirst", h, info, true);                                     \
    }                                                                                       \
    QV_EXPORT int32_t P##FindNext(QvArchive h, QvEntryInfo* info) {                         \
        Record().Add("entry", #P "FindNext").Add("hwnd", h);                                \
        return Find(#P, #P "FindNext", h, info, false);                                     \
    }                                                                                       \
    QV_EXPORT int32_t P##CloseArchive(QvArchive h) {                                        \
        Record().Add("entry", #P "CloseArchive").Add("hwnd", h);                            \
        return Scripted(#P "CloseArchive", 0);                                              \
    }

#define QV_FAKE_STATUS(P)                                             \
    QV_EXPORT uint16_t P##GetVersion() {                              \
        Record().Add("entry", #P "GetVersion");                       \
        return static_cast<uint16_t>(Scripted(#P "GetVersion", 100)); \
    }                                                                 \
    QV_EXPORT int32_t P##GetRunning() {                               \
        Record().Add("entry", #P "GetRunning");                       \
        return Scripted(#P "GetRunning", 0);                          \
    }

#if defined(QV_FAKE_unlha32)
QV_FAKE_STANDARD_SET(Unlha)
#elif defined(QV_FAKE_unzip32)
QV_FAKE_STANDARD_SET(UnZip)
#elif defined(QV_FAKE_zip32j)
QV_EXPORT int32_t Zip(QvWindow hwnd, const char* line, char* out, uint32_t size) {
    return Command("Zip", hwnd, line, out, size);
}
QV_FAKE_STATUS(Zip)
#elif defined(QV_FAKE_cab32)
QV_FAKE_STANDARD_SET(Cab)
#elif defined(QV_FAKE_unarj32j)
QV_FAKE_STANDARD_SET(Unarj)
#elif defined(QV_FAKE_tar32)
QV_FAKE_STANDARD_SET(Tar)
#elif defined(QV_FAKE_unrar32)
QV_FAKE_STANDARD_SET(Unrar)
#elif defined(QV_FAKE_ish32)
QV_EXPORT int32_t Ish(QvWindow hwnd, const char* line) {
    return Command("Ish", hwnd, line, nullptr, 0);
}
QV_EXPORT int32_t IshGetVersion() {
    Record().Add("entry", "IshGetVersion");
    return Scripted("IshGetVersion", 100);
}
QV_EXPORT int32_t IshGetRunning() {
    Record().Add("entry", "IshGetRunning");
    return Scripted("IshGetRunning", 0);
}
QV_EXPORT int32_t IshCheckArchive(const char* archive, int32_t mode) {
    Record()
        .Add("entry", "IshCheckArchive")
        .Add("command", archive ? archive : "")
        .Add("mode", mode);
    return Scripted("IshCheckArchive", 1);
}
QV_EXPORT int32_t IshFileList(const char* archive, char* out, uint16_t size) {
    Record().Add("entry", "IshFileList").Add("command", archive ? archive : "").Add("size", size);
    PrintInto("IshFileList", out, size);
    return Scripted("IshFileList", 0);
}
#else
#error "build the fake once per library: define QV_FAKE_<library>"
#endif
