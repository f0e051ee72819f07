// A scratch folder, quorvex-rar run in it as the control runs it, and what the archive it
// wrote holds by our reader.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "common/archive_input.h"
#include "formats/rar/reader.h"
#include "io/crc32.h"
#include "support/backend_library.h"
#include "support/run_in.h"

namespace quorvex6::testing {

inline Ran Writer(const fs::path& cwd, std::vector<std::string> args) {
    args.insert(args.begin(), QV_RAR_WRITER);
    return RunIn(cwd, args);
}

inline std::vector<backend::rar::Entry> EntriesOf(const fs::path& archive) {
    backend::ArchiveInput in(archive.string());
    backend::rar::Volume volume = backend::rar::ReadVolume(in);
    EXPECT_FALSE(volume.end_error.has_value());
    return volume.entries;
}

// Every entry by name: a file's stored data (its CRC-32 checked), a link as "-> target", a
// folder as "<folder>".
inline std::map<std::string, std::string> ReadBack(const fs::path& archive) {
    backend::ArchiveInput in(archive.string());
    std::map<std::string, std::string> entries;
    for (const backend::rar::Entry& e : EntriesOf(archive)) {
        if (e.folder) {
            entries[e.name] = "<folder>";
        } else if (e.redirection != backend::rar::Redirection::kNone) {
            entries[e.name] = "-> " + e.link_target;
        } else {
            std::string data(e.packed_size, '\0');
            EXPECT_EQ(in.read_at(e.data_offset, data.data(), data.size()),
                      static_cast<std::ptrdiff_t>(data.size()));
            EXPECT_EQ(e.crc,
                      backend::io::Crc32(0, reinterpret_cast<const std::uint8_t*>(data.data()),
                                         data.size()))
                << e.name;
            entries[e.name] = data;
        }
    }
    return entries;
}

}  // namespace quorvex6::testing
