// libtar32: Tar and the enumeration set. Creates and extracts TAR archives, plain or with
// gzip, bzip2, xz or zstd as the archive's name says.
#include <memory>
#include <string>

#include "common/archive_input.h"
#include "common/command_line.h"
#include "common/entry_info.h"
#include "common/enumeration.h"
#include "common/extract_target.h"
#include "common/name_selection.h"
#include "common/pack_sources.h"
#include "common/progress.h"
#include "common/standard_library.h"
#include "io/memory.h"
#include "quorvex6/archiver_api.h"
#include "tar32/extract_adapter.h"
#include "tar32/tar_pack_job.h"

using namespace quorvex6::backend;

namespace {

constexpr uint16_t kVersion = 100;
constexpr int32_t kCheckEveryValue = 2;

constexpr SwitchRule kSwitches[] = {
    {"-c"},
    {"-x"},
    {"-t"},
    {"-f"},
    {"-AH"},
    {"-AA"},
    {"-I"},
    {"--use-directory", SwitchArg::kEquals},
    {"--display-dialog", SwitchArg::kEquals},
};

// The archive for a reader; one that cannot be opened is 0x8018 whatever the file call said.
std::unique_ptr<io::RandomInput> OpenArchive(const std::string& path) {
    try {
        return std::make_unique<ArchiveInput>(InputFile(path));
    } catch (const Failure& f) {
        throw Failure(result::kCannotOpenArchive, f.what());
    }
}

// The stream reads forward only: listing again starts from a fresh reader.
class TarEntries final : public EntryListing {
  public:
    explicit TarEntries(std::string path) : path_(std::move(path)) { Restart(); }
    bool Next(EntryFacts& facts) override {
        tar::TarEntry entry;
        if (!reader_->Next(entry)) return false;
        facts = entry.facts;
        return true;
    }
    void Restart() override { reader_ = std::make_unique<tar::TarReader>(OpenArchive(path_)); }

  private:
    std::string path_;
    std::unique_ptr<tar::TarReader> reader_;
};

bool Off(const ParsedCommand& cmd, std::string_view name) {
    return cmd.Value(name) == std::optional<std::string>("0");
}

// Reads every header (and, when asked, every byte): the first failure's code.
int32_t TestArchive(const std::string& path, bool data) {
    tar::TarReader reader(OpenArchive(path));
    tar::TarEntry entry;
    io::NullSink sink;
    while (reader.Next(entry))
        if (data && entry.kind == tar::EntryKind::kFile) reader.ReadData(sink);
    return result::kSuccess;
}

int32_t RunTar(const std::string& line, OutputLog& log) {
    ParsedCommand cmd = ParseCommand(line, {kSwitches, {}});
    if (cmd.archive.empty()) throw Failure(result::kNoArchiveName, "no archive name");
    bool junk = Off(cmd, "--use-directory");
    Progress progress(!Off(cmd, "--display-dialog"));
    ResultKeeper result;
    if (cmd.Has("-c")) {
        if (cmd.names.empty()) throw Failure(result::kBadCommand, "no names to pack");
        SourceOptions sources;
        sources.base = cmd.folder;
        sources.recursive = true;
        sources.junk_paths = junk;
        sources.folder_entries = !junk;
        sources.include_hidden = !cmd.Has("-AA");
        std::vector<SourceItem> items = CollectSources(cmd.names, sources, log, result);
        tar32::PackTar(cmd.archive, items, log, result, progress);
        return result.code();
    }
    if (cmd.Has("-t")) return TestArchive(cmd.archive, true);
    if (!cmd.Has("-x")) throw Failure(result::kBadCommand, "no command: -c, -x or -t");
    NameSelection names(cmd.names.empty() ? std::vector<std::string>{"*.*"} : cmd.names, true);
    // A plain archive is read on this thread: a second one reading ahead saved no time, as
    // handing its bytes over and the files to the writing queue took more work than reading.
    tar::TarReader reader(OpenArchive(cmd.archive));
    ExtractOptions options;
    options.folder = cmd.folder;
    options.junk_paths = junk;
    options.restore_mode = !cmd.Has("-I");
    options.backslash_separates = false;
    ExtractTarget target(options, log, result);
    tar32::TarExtractFormat format(reader, log, target.options().folder);
    jobs::RunExtraction(format, names, target, log, progress);
    names.ReportUnmatched(log, result);
    return result.code();
}

int32_t Check(const char* archive, int32_t mode) {
    if (archive == nullptr) return 0;
    std::string path = archive;
    int32_t code = Guarded([&] {
        if ((mode & 3) == 0) {
            tar::TarReader reader(OpenArchive(path));
            tar::TarEntry entry;
            reader.Next(entry);
            return result::kSuccess;
        }
        return TestArchive(path, (mode & 3) == kCheckEveryValue);
    });
    return code == result::kSuccess ? 1 : 0;
}

StandardLibrary& Library() {
    static StandardLibrary library(kVersion, RunTar, Check, [](const std::string& archive) {
        return std::make_unique<TarEntries>(archive);
    });
    return library;
}

}  // namespace

QV_DEFINE_STANDARD_ENTRY_POINTS(tar32, Tar, Library);
