#include "unzip32/zip_extract.h"

#include <atomic>
#include <cstdio>
#include <future>
#include <optional>
#include <unordered_map>

#include "common/dos_time.h"
#include "common/entry_info.h"
#include "common/fault_codes.h"
#include "common/file_sink.h"
#include "common/system.h"
#include "common/wildcard.h"
#include "formats/zip/zip_format.h"
#include "io/fault.h"
#include "io/memory.h"

namespace quorvex6::backend::unzip32 {

namespace {

// What symlink() takes: PATH_MAX less the terminating NUL.
constexpr size_t kMaxLinkTarget = 4095;

class StringSink final : public io::Sink {
  public:
    bool write(const std::uint8_t* data, std::size_t size) override {
        if (text.size() + size > kMaxLinkTarget) return false;
        text.append(reinterpret_cast<const char*>(data), size);
        return true;
    }
    std::string text;
};

std::optional<uint32_t> ModeOf(const zip::ZipEntry& entry) {
    if (auto mode = entry.unix_mode()) return *mode & 0777;
    return (entry.external_attributes & zip::kDosReadOnly) ? 0444u : 0644u;
}

// The one place where unzip32 gives the format's faults their result codes: ZIP's are those
// of the common table.
Failure AsFailure(const io::Error& error) { return Failure(ResultCodeOf(error.fault()), error.what()); }

// False when the entry was refused.
bool ExtractOne(const zip::ZipReader& reader, const zip::ZipEntry& entry,
                const std::string& relative, ExtractTarget& target) {
    if (entry.folder()) {
        target.MakeFolder(relative, entry.mtime(), entry.unix_mode());
    } else if (entry.symlink()) {
        if (entry.original_size > kMaxLinkTarget)
            throw Failure(result::kPathTooLong, "link target of " + std::to_string(entry.original_size) +
                                                    " bytes; a link holds at most " + std::to_string(kMaxLinkTarget));
        StringSink sink;
        try {
            reader.Extract(entry, sink);
        } catch (const io::Error& error) {
            throw AsFailure(error);
        }
        return target.MakeLink(relative, sink.text);
    } else {
        PendingFile file = target.BeginFile(relative);
        FileSink sink(file);
        try {
            reader.Extract(entry, sink);
        } catch (const io::Error& error) {
            sink.Rethrow();  // a full disk keeps its code
            throw AsFailure(error);
        }
        file.Commit(entry.mtime(), ModeOf(entry));
    }
    return true;
}

std::string Printable(const std::string& name) {
    std::string out = name;
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return out;
}

}  // namespace

void ExtractEntries(const zip::ZipReader& reader, NameSelection& names, ExtractTarget& target,
                    OutputLog& log, ResultKeeper& result, Progress& progress) {
    // First, in archive order: checks, folders and links; the files wait. Then the files on
    // every processor: each one is independent once every link exists.
    struct FileJob {
        const zip::ZipEntry* entry;
        std::string relative;
        std::optional<Failure> failure;
    };
    std::vector<FileJob> files;
    std::unordered_map<std::string, size_t> by_path;  // a name stored twice: the last one wins
    uint64_t index = 0;
    for (const zip::ZipEntry& entry : reader.entries()) {
        ++index;
        if (!names.Selects(entry.name)) continue;
        progress.Entry("extracting", entry.name, index, reader.entries().size());
        if (entry.encrypted()) {
            log.Line("skipped " + entry.name + ": encrypted");
            result.Note(result::kPasswordFile);
            continue;
        }
        std::optional<std::string> relative =
            target.Place(entry.name, entry.mtime(), entry.folder());
        if (!relative) continue;
        if (!entry.folder() && !entry.symlink()) {
            auto [it, fresh] = by_path.emplace(*relative, files.size());
            if (!fresh) files[it->second].entry = nullptr;
            it->second = files.size();
            files.push_back({&entry, *relative, std::nullopt});
            continue;
        }
        try {
            if (ExtractOne(reader, entry, *relative, target)) log.Line("extracted " + entry.name);
        } catch (const Failure& f) {
            if (f.code() == result::kDiskFull) throw;
            target.EntryFailed(entry.name, f);
        }
    }
    std::atomic<size_t> next{0};
    std::atomic<bool> stop{false};
    auto work = [&] {
        for (size_t k = next++; k < files.size() && !stop; k = next++) {
            FileJob& job = files[k];
            if (job.entry == nullptr) continue;
            try {
                ExtractOne(reader, *job.entry, job.relative, target);
            } catch (const Failure& f) {
                job.failure = f;
                if (f.code() == result::kDiskFull) stop = true;
            }
        }
    };
    unsigned workers = std::min<unsigned>(ProcessorCount(), 4);
    std::vector<std::future<void>> helpers;
    for (unsigned w = 1; w < workers && files.size() > 1; ++w)
        helpers.push_back(std::async(std::launch::async, work));
    work();
    for (auto& h : helpers) h.get();
    for (const FileJob& job : files) {
        if (job.entry == nullptr) continue;
        if (!job.failure) {
            log.Line("extracted " + job.entry->name);
        } else if (job.failure->code() == result::kDiskFull) {
            throw *job.failure;
        } else {
            target.EntryFailed(job.entry->name, *job.failure);
        }
    }
}

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
