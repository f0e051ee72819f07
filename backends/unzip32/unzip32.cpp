// libunzip32: UnZip and the enumeration set. Extracts, lists and tests ZIP archives.
#include <memory>
#include <optional>
#include <string>

#include "common/archive_input.h"
#include "common/command_line.h"
#include "common/entry_info.h"
#include "common/enumeration.h"
#include "common/extract_target.h"
#include "common/name_selection.h"
#include "common/progress.h"
#include "common/standard_library.h"
#include "formats/zip/zip_format.h"
#include "quorvex6/archiver_api.h"
#include "unzip32/extract_adapter.h"
#include "unzip32/zip_extract.h"

using namespace quorvex6::backend;

namespace {

constexpr uint16_t kVersion = 100;
constexpr int32_t kCheckEveryValue = 2;

constexpr SwitchRule kSwitches[] = {{"-x"}, {"-u"}, {"-j"}, {"--i"},
                                    {"-o"}, {"-n"}, {"-l"}, {"-t"}};

// "-l name" comes with the name unquoted, blanks and all.
std::optional<std::string> ListingTarget(const std::string& line) {
    size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos || line.compare(start, 3, "-l ") != 0) return std::nullopt;
    std::string rest = line.substr(start + 3);
    size_t first = rest.find_first_not_of(' ');
    if (first == std::string::npos || rest[first] == '"') return std::nullopt;
    size_t last = rest.find_last_not_of(' ');
    return rest.substr(first, last - first + 1);
}

int32_t RunUnZip(const std::string& line, OutputLog& log) {
    std::optional<std::string> listed = ListingTarget(line);
    ParsedCommand cmd;
    if (listed) {
        cmd.archive = *listed;
        cmd.switches.push_back({"-l", ""});
    } else {
        cmd = ParseCommand(line, {kSwitches, {}});
    }
    if (cmd.archive.empty()) throw Failure(result::kNoArchiveName, "no archive name");
    zip::ZipReader reader(std::make_unique<ArchiveInput>(cmd.archive));
    if (cmd.Has("-l")) {
        std::string text = unzip32::TextListing(reader);
        if (!text.empty() && text.back() == '\n') text.pop_back();
        log.Line(text);
        return result::kSuccess;
    }
    if (cmd.Has("-t")) return unzip32::TestEntries(reader, log);
    NameSelection names(cmd.names.empty() ? std::vector<std::string>{"*.*"} : cmd.names, true);
    ResultKeeper result;
    ExtractOptions options;
    options.folder = cmd.folder;
    options.junk_paths = cmd.Has("-j");
    options.only_newer = cmd.Has("-u");
    options.never_overwrite = cmd.Has("-n");
    options.backslash_separates = false;  // the reader turned a DOS host's separators into '/'
    ExtractTarget target(options, log, result);
    Progress progress(!cmd.Has("--i"));
    unzip32::ZipExtractFormat format(reader, log, result);
    jobs::RunExtraction(format, names, target, log, progress);
    names.ReportUnmatched(log, result);
    return result.code();
}

int32_t Check(const char* archive, int32_t mode) {
    if (archive == nullptr) return 0;
    std::string path = archive;
    int32_t code = Guarded([&] {
        auto input = std::make_unique<ArchiveInput>(path);
        if (!zip::Bid(*input)) return result::kNotValidArchive;
        // Past the bid, the directory must read too, as every command needs it.
        zip::ZipReader reader(std::move(input));
        if ((mode & 3) != kCheckEveryValue) return result::kSuccess;
        OutputLog log;
        return unzip32::TestEntries(reader, log);
    });
    return code == result::kSuccess ? 1 : 0;
}

StandardLibrary& Library() {
    static StandardLibrary library(kVersion, RunUnZip, Check, [](const std::string& archive) {
        return ListHeldEntries(
            std::make_unique<zip::ZipReader>(std::make_unique<ArchiveInput>(archive)),
            [](const zip::ZipEntry& entry) { return entry.Facts(); });
    });
    return library;
}

}  // namespace

QV_DEFINE_STANDARD_ENTRY_POINTS(unzip32, UnZip, Library);
