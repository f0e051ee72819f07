// libzip32j: Zip, ZipGetVersion, ZipGetRunning. Packs and updates ZIP archives.
#include <string>

#include "common/command_gate.h"
#include "common/command_line.h"
#include "common/export.h"
#include "common/pack_sources.h"
#include "common/progress.h"
#include "quorvex6/archiver_api.h"
#include "zip32j/zip_pack_job.h"

using namespace quorvex6::backend;

namespace {

constexpr uint16_t kVersion = 100;

constexpr SwitchRule kSwitches[] = {
    {"-r"}, {"-D"}, {"-j"}, {"-S"}, {"-q"}, {"-u"}, {"--sfx"}, {"-0"}, {"-1"},
    {"-2"}, {"-3"}, {"-4"}, {"-5"}, {"-6"}, {"-7"}, {"-8"},    {"-9"},
};

CommandGate& Gate() {
    static CommandGate gate;
    return gate;
}

int Level(const ParsedCommand& cmd) {
    int level = 6;
    for (const Switch& s : cmd.switches)
        if (s.name.size() == 2 && s.name[1] >= '0' && s.name[1] <= '9') level = s.name[1] - '0';
    return level;
}

int32_t RunZip(const std::string& line, OutputLog& log) {
    ParsedCommand cmd = ParseCommand(line, {kSwitches, {}});
    if (cmd.Has("--sfx"))
        throw Failure(result::kNotSupportedApi, "self-extracting archives are not supported");
    if (cmd.archive.empty()) throw Failure(result::kNoArchiveName, "no archive name");
    if (cmd.names.empty()) throw Failure(result::kBadCommand, "no names to pack");
    SourceOptions sources;
    sources.base = cmd.folder;
    sources.recursive = cmd.Has("-r");
    sources.folder_entries = !cmd.Has("-D");
    sources.junk_paths = cmd.Has("-j");
    sources.include_hidden = cmd.Has("-S");
    ResultKeeper result;
    std::vector<SourceItem> items = CollectSources(cmd.names, sources, log, result);
    zip32j::PackOptions options;
    options.level = Level(cmd);
    options.update_only = cmd.Has("-u");
    Progress progress(!cmd.Has("-q"));
    zip32j::PackZip(cmd.archive, items, options, log, result, progress);
    return result.code();
}

}  // namespace

QV_DECLARE_ENTRY_POINTS(zip32j);

QV_EXPORT int32_t Zip(QvWindow, const char* cmdline, char* output, uint32_t size) {
    std::string line = cmdline ? cmdline : "";
    return Gate().Run(output, size, [&](OutputLog& log) { return RunZip(line, log); });
}

QV_EXPORT uint16_t ZipGetVersion() { return kVersion; }

QV_EXPORT int32_t ZipGetRunning() { return Gate().running() ? 1 : 0; }
