// libcab32: Cab and the enumeration set. Makes, extracts, lists and tests cabinets.
#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "cab32/cab_pack.h"
#include "cab32/cab_test_entries.h"
#include "cab32/extract_adapter.h"
#include "cab32/set_opener.h"
#include "codecs/method_tables.h"
#include "common/archive_input.h"
#include "common/command_line.h"
#include "common/enumeration.h"
#include "common/extract_target.h"
#include "common/name_selection.h"
#include "common/pack_sources.h"
#include "common/progress.h"
#include "common/standard_library.h"
#include "formats/cab/cab_format.h"
#include "formats/cab/cab_reader.h"
#include "quorvex6/archiver_api.h"

using namespace quorvex6::backend;

namespace {

constexpr uint16_t kVersion = 100;
constexpr int32_t kCheckEveryValue = 2;

constexpr SwitchRule kSwitches[] = {{"-x"},
                                    {"-a"},
                                    {"-f"},
                                    {"-j"},
                                    {"-n"},
                                    {"-i"},
                                    {"-r"},
                                    {"-mz"},
                                    {"-ms"},
                                    {"-v:", SwitchArg::kSuffix},
                                    {"-ml:", SwitchArg::kSuffix},
                                    {"-mq:", SwitchArg::kSuffix}};

int32_t Extract(const ParsedCommand& cmd, OutputLog& log) {
    std::unique_ptr<cab::CabReader> reader = cab32::OpenCabinetSet(cmd.archive);
    NameSelection names(cmd.names.empty() ? std::vector<std::string>{"*.*"} : cmd.names, true);
    ResultKeeper result;
    ExtractOptions options;
    options.folder = cmd.folder;
    options.junk_paths = cmd.Has("-j");
    options.only_newer = cmd.Has("-n");
    options.backslash_separates = false;  // the reader turned CAB's separators into '/'
    ExtractTarget target(options, log, result);
    Progress progress(!cmd.Has("-i"));
    cab32::CabExtractFormat format(*reader);
    jobs::RunExtraction(format, names, target, log, progress);
    names.ReportUnmatched(log, result);
    return result.code();
}

const codecs::FrameMethod& FrameRow(std::string_view id) {
    return *codecs::FindFrameMethod(codecs::FrameMethods(), id);
}

// The window bits of "-ml:N", or -1 when the LZX row does not take N (15..21).
int ParseWindowBits(const std::string& text) {
    if (text.size() != 2 || text[0] < '0' || text[0] > '9' || text[1] < '0' || text[1] > '9')
        return -1;
    int bits = (text[0] - '0') * 10 + (text[1] - '0');
    return FrameRow("lzx").AcceptsWindow(static_cast<unsigned>(bits)) ? bits : -1;
}

cab32::PackOptions PackMethod(const ParsedCommand& cmd) {
    cab32::PackOptions options;
    options.type = cmd.Has("-ms") ? cab::kMethodStore : cab::kMethodMszip;
    if (std::optional<std::string> quantum = cmd.Value("-mq:")) {
        if (quantum->size() != 1 || (*quantum)[0] < '1' || (*quantum)[0] > '7')
            throw Failure(result::kBadCommand, "-mq: takes a level of 1 to 7");
        // The level is the search effort; the window is the largest, which packs best.
        unsigned level = static_cast<unsigned>((*quantum)[0] - '0');
        options.type = static_cast<std::uint16_t>(cab::kMethodQuantum | level << 4 |
                                                  FrameRow("quantum").max_window_bits << 8);
    }
    if (std::optional<std::string> lzx = cmd.Value("-ml:")) {
        int bits = ParseWindowBits(*lzx);
        if (bits < 0) throw Failure(result::kBadCommand, "-ml: takes a window of 15 to 21 bits");
        options.type = static_cast<std::uint16_t>(cab::kMethodLzx | bits << 8);
    }
    return options;
}

// The bytes of each cabinet of "-v:N" (N KiB), 0 for one cabinet.
std::uint64_t VolumeLimit(const ParsedCommand& cmd) {
    std::optional<std::string> volume = cmd.Value("-v:");
    if (!volume) return 0;
    if (volume->empty() || volume->size() > 10 ||
        volume->find_first_not_of("0123456789") != std::string::npos)
        throw Failure(result::kBadCommand, "-v: takes a size in KiB");
    // A cabinet's size field is signed in some readers: none is made larger.
    return std::min<std::uint64_t>(std::stoull(*volume) * 1024, 0x7FFFFFFF);
}

int32_t Pack(const ParsedCommand& cmd, OutputLog& log) {
    cab32::PackOptions options = PackMethod(cmd);
    options.volume_limit = VolumeLimit(cmd);
    SourceOptions sources;
    sources.base = cmd.folder;
    sources.recursive = cmd.Has("-r");
    sources.folder_entries = false;  // a cabinet holds files only
    ResultKeeper result;
    std::vector<SourceItem> items = CollectSources(
        cmd.names.empty() ? std::vector<std::string>{"*.*"} : cmd.names, sources, log, result);
    Progress progress(!cmd.Has("-i"));
    cab32::PackCabinet(cmd.archive, items, options, log, result, progress);
    return result.code();
}

int32_t RunCab(const std::string& line, OutputLog& log) {
    ParsedCommand cmd = ParseCommand(line, {kSwitches, {}});
    int commands = cmd.Has("-x") + cmd.Has("-a") + cmd.Has("-f");
    if (commands != 1) throw Failure(result::kBadCommand, "say one of -x, -a and -f");
    if (cmd.archive.empty()) throw Failure(result::kNoArchiveName, "no archive name");
    if (cmd.Has("-f"))
        throw Failure(result::kNotSupportedApi, "self-extractors are not made by this library yet");
    return cmd.Has("-a") ? Pack(cmd, log) : Extract(cmd, log);
}

int32_t Check(const char* archive, int32_t mode) {
    if (archive == nullptr) return 0;
    std::string path = archive;
    int32_t code = Guarded([&] {
        // Past the bid, the headers must read too, as every command needs them.
        std::unique_ptr<cab::CabReader> reader = cab32::OpenCabinetSet(path);
        if ((mode & 3) != kCheckEveryValue) return result::kSuccess;
        OutputLog log;
        return cab32::TestEntries(*reader, log);
    });
    return code == result::kSuccess ? 1 : 0;
}

StandardLibrary& Library() {
    static StandardLibrary library(kVersion, RunCab, Check, [](const std::string& archive) {
        return ListHeldEntries(cab32::OpenCabinetSet(archive),
                               [](const cab::CabEntry& entry) { return entry.Facts(); });
    });
    return library;
}

}  // namespace

QV_DEFINE_STANDARD_ENTRY_POINTS(cab32, Cab, Library);
