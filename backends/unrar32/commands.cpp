#include "unrar32/commands.h"

#include <functional>

#include "common/archive_damage.h"
#include "common/extract_target.h"
#include "common/fault_codes.h"
#include "common/jobs/extract_job.h"
#include "common/name_selection.h"
#include "common/result.h"
#include "common/volume_inputs.h"
#include "formats/rar/solid_stream.h"
#include "io/memory.h"
#include "unrar32/extract_adapter.h"

namespace quorvex6::backend::unrar32 {

int32_t Extract(const Archive& archive, const std::vector<std::string>& names,
                const std::string& folder, const Options& options, OutputLog& log) {
    ExtractOptions eo;
    eo.folder = folder;
    eo.junk_paths = !options.folder_parts;
    eo.only_newer = options.only_newer;
    eo.backslash_separates = false;  // the reader has made every separator '/'
    RarExtractFormat format(archive, options.folder_parts, log);
    ResultKeeper keeper;
    jobs::ExtractSelected(format, names, eo, options.progress, log, keeper);
    NoteArchiveDamage(archive.end_error(), archive.entries().size(), log, keeper);
    return keeper.code();
}

int32_t Test(const Archive& archive, const std::vector<std::string>& names, OutputLog& log) {
    ResultKeeper keeper;
    NameSelection selection(names, true);
    VolumeInputs inputs(archive.volumes());
    rar::SolidStream stream(archive.entries(), std::ref(inputs));
    for (std::size_t i = 0; i < archive.entries().size(); ++i) {
        const rar::Entry& e = archive.entries()[i].entry;
        if (!e.has_data() || !selection.Selects(e.name)) continue;
        TestEntry(
            e.name,
            [&] {
                io::NullSink sink;
                stream.Decode(i, sink);
            },
            archive.path(), log, keeper);
    }
    selection.ReportUnmatched(log, keeper);
    NoteArchiveDamage(archive.end_error(), archive.entries().size(), log, keeper);
    return keeper.code();
}

}  // namespace quorvex6::backend::unrar32
