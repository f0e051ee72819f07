// libunlha32: Unlha and the enumeration set. Packs, updates, extracts, tests and lists LHA
// archives with our own LH codecs.
#include <memory>
#include <string>

#include "common/command_line.h"
#include "common/entry_info.h"
#include "common/enumeration.h"
#include "common/standard_library.h"
#include "quorvex6/archiver_api.h"
#include "unlha32/archive.h"
#include "unlha32/extract.h"
#include "unlha32/faults.h"
#include "unlha32/options.h"
#include "unlha32/update.h"

using namespace quorvex6::backend;
namespace unlha = quorvex6::backend::unlha32;

namespace {

constexpr uint16_t kVersion = 100;

// CheckArchive's mode: the low bits say how deep, the flags what else to allow.
constexpr int32_t kCheckDepthMask = 3;
constexpr int32_t kCheckEveryHeader = 1;
constexpr int32_t kCheckEveryValue = 2;
constexpr int32_t kCheckSearchToEnd = 16;

int32_t RunUnlha(const std::string& line, OutputLog& log) {
    // Whatever a self-extractor's options say, there is no self-extractor to make yet.
    std::vector<Token> tokens = Tokenize(line);
    if (!tokens.empty() && !tokens[0].quoted && tokens[0].text == "s") {
        throw Failure(result::kNotSupportedApi, "self-extractors are not made by this library yet");
    }
    ParsedCommand cmd = ParseCommand(line, {unlha::Switches(), unlha::CommandWords()});
    unlha::Options options = unlha::ReadOptions(cmd);
    if (cmd.archive.empty()) throw Failure(result::kNoArchiveName, "no archive name");
    if (cmd.command == "u" || cmd.command == "a") return unlha::Update(cmd, options, log);
    if (cmd.command == "d") return unlha::Delete(cmd, log);
    unlha::Archive archive(cmd.archive);
    if (cmd.command == "l") return unlha::List(archive, cmd.names, log);
    if (cmd.command == "t") return unlha::Test(archive, cmd.names, log);
    return unlha::Extract(archive, cmd.names, cmd.folder, options, log);
}

int32_t Check(const char* archive, int32_t mode) {
    if (archive == nullptr) return 0;
    std::string path = archive;
    int32_t code = Guarded([&] {
        unlha::Archive a(path, (mode & kCheckSearchToEnd) != 0);
        if (a.entries().empty()) return result::kNotValidArchive;
        if (!a.start_damage().empty()) return result::kBrokenHeader;
        int32_t depth = mode & kCheckDepthMask;
        if (depth >= kCheckEveryHeader && a.end_error())
            return unlha::CodeOf(a.end_error()->fault());
        if (depth == kCheckEveryValue) {
            OutputLog log;
            return unlha::Test(a, {}, log);
        }
        return result::kSuccess;
    });
    return code == result::kSuccess ? 1 : 0;
}

StandardLibrary& Library() {
    static StandardLibrary library(kVersion, RunUnlha, Check, [](const std::string& archive) {
        return ListHeldEntries(std::make_unique<unlha::Archive>(archive),
                               [](const auto& entry) { return unlha::FactsOf(entry); });
    });
    return library;
}

}  // namespace

QV_DEFINE_STANDARD_ENTRY_POINTS(unlha32, Unlha, Library);
