#include "common/archive_damage.h"

#include "common/fault_codes.h"

namespace quorvex6::backend {

void NoteArchiveDamage(const std::optional<io::Error>& damage, std::size_t entries, OutputLog& log,
                       ResultKeeper& keeper) {
    if (!damage) return;
    log.Line("archive damaged after " + std::to_string(entries) + " entries: " + damage->what());
    keeper.Note(ResultCodeOf(damage->fault()));
}

void TestEntry(const std::string& name, const std::function<void()>& decode,
               const std::string& archive, OutputLog& log, ResultKeeper& keeper) {
    try {
        decode();
        log.Line("ok     " + name);
    } catch (const io::Error& error) {
        if (error.fault() == io::Fault::kRead) throw FailureOf(error, archive);
        log.Line("error  " + name + ": " + error.what());
        keeper.Note(ResultCodeOf(error.fault()));
    }
}

}  // namespace quorvex6::backend
