// libish32: Ish encodes one file as an ISH text or restores the files of one, IshFileList
// lists them, IshCheckArchive checks them.
#include <cstring>
#include <optional>
#include <string>

#include "codecs/ish/reader.h"
#include "common/command_gate.h"
#include "common/export.h"
#include "common/file_system.h"
#include "io/memory.h"
#include "ish32/encode_job.h"
#include "ish32/file_listing.h"
#include "ish32/file_source.h"
#include "ish32/ish_command.h"
#include "ish32/restore_job.h"
#include "quorvex6/archiver_api.h"

using namespace quorvex6::backend;
using namespace quorvex6::backend::ish32;

namespace {

constexpr int32_t kVersion = 100;
constexpr int32_t kCheckEveryValue = 2;

CommandGate& Gate() {
    static CommandGate gate;
    return gate;
}

int32_t RunIsh(const std::string& line, OutputLog& log) {
    IshCommand command =
        ParseIshCommand(line, [](const std::string& path) { return StatPath(path).has_value(); });
    if (command.action == IshAction::kEncode) {
        log.Line("wrote " + EncodeFile(command.file, command.folder, command.variant));
        return result::kSuccess;
    }
    RestoreOptions options{command.folder, command.action == IshAction::kRestoreNewer};
    return RestoreFiles(command.file, options, log);
}

// The listing of every file of the text, cut to what `capacity` bytes hold.
std::string ListText(const std::string& path, size_t capacity) {
    FileSource source(path);
    quorvex6::backend::codecs::ish::Reader reader(source);
    FileListing listing(capacity);
    bool any = false;
    while (std::optional<quorvex6::backend::codecs::ish::FileInfo> info = reader.next()) {
        any = true;
        if (!listing.Add(*info)) break;
    }
    source.Rethrow();
    if (reader.status() != quorvex6::backend::codecs::Status::kOk)
        throw Failure(result::kReadError, "read error");
    if (!any) throw Failure(result::kNotValidArchive, "no ISH file in " + path);
    std::string text = listing.Text();
    if (text.empty()) throw Failure(result::kNoGlobalMemory, "the buffer holds no listing");
    return text;
}

// Whether the text holds a file; with `decode`, whether every file of it decodes whole.
bool CheckText(const std::string& path, bool decode) {
    FileSource source(path);
    quorvex6::backend::codecs::ish::Reader reader(source);
    bool any = false;
    while (reader.next()) {
        any = true;
        if (!decode) break;
        io::NullSink sink;
        if (reader.decode(sink) != quorvex6::backend::codecs::Status::kOk) return false;
    }
    source.Rethrow();
    return any && reader.status() == quorvex6::backend::codecs::Status::kOk;
}

}  // namespace

QV_DECLARE_ENTRY_POINTS(ish32);

QV_EXPORT int32_t Ish(QvWindow, const char* cmdline) {
    std::string line = cmdline ? cmdline : "";
    return Gate().Run(nullptr, 0, [&](OutputLog& log) { return RunIsh(line, log); });
}

QV_EXPORT int32_t IshGetVersion() { return kVersion; }

QV_EXPORT int32_t IshGetRunning() { return Gate().running() ? 1 : 0; }

QV_EXPORT int32_t IshCheckArchive(const char* archive, int32_t mode) {
    if (archive == nullptr) return 0;
    std::string path = archive;
    int32_t code = Guarded([&] {
        return CheckText(path, (mode & 3) == kCheckEveryValue) ? result::kSuccess
                                                               : result::kNotValidArchive;
    });
    return code == result::kSuccess ? 1 : 0;
}

QV_EXPORT int32_t IshFileList(const char* archive, char* output, uint16_t size) {
    if (archive == nullptr) return result::kNoArchiveName;
    std::string path = archive;
    return Gate().Run(nullptr, 0, [&](OutputLog&) {
        if (output == nullptr || size == 0)
            throw Failure(result::kNoGlobalMemory, "no buffer for the listing");
        std::string text = ListText(path, size - 1u);
        std::memcpy(output, text.c_str(), text.size() + 1);
        return result::kSuccess;
    });
}
