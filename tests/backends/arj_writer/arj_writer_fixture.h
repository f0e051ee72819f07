// A scratch folder, quorvex-arj run in it as the control runs it (argv, no shell, no terminal),
// and what the archive it wrote holds by our reader, arj and 7zz.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "common/archive_input.h"
#include "formats/arj/arj_reader.h"
#include "io/memory.h"
#include "support/backend_library.h"
#include "support/run_in.h"

namespace quorvex6::testing {

inline Ran Writer(const fs::path& cwd, std::vector<std::string> args) {
    args.insert(args.begin(), QV_ARJ_WRITER);
    return RunIn(cwd, args);
}

// Every entry by name, with its data as our reader decodes it (a link as "-> target").
inline std::map<std::string, std::string> ReadBack(const fs::path& archive) {
    backend::ArchiveInput in(archive.string());
    backend::arj::Reader reader(in);
    std::map<std::string, std::string> entries;
    for (const backend::arj::Entry& e : reader.entries()) {
        if (e.link_target) {
            entries[e.name] = "-> " + *e.link_target;
            continue;
        }
        std::vector<std::uint8_t> bytes;
        backend::io::VectorSink sink(bytes);
        backend::arj::Reader::Decode(in, e, sink);
        entries[e.name] = std::string(bytes.begin(), bytes.end());
    }
    return entries;
}

inline std::vector<backend::arj::Entry> EntriesOf(const fs::path& archive) {
    backend::ArchiveInput in(archive.string());
    return backend::arj::Reader(in).entries();
}

// Files only, links as "-> target": a tree as extracted.
inline std::map<std::string, std::string> FilesOf(const fs::path& root) {
    std::map<std::string, std::string> files = ReadTree(root);
    std::erase_if(files, [](const auto& item) { return item.second == "<folder>"; });
    return files;
}

// The names whose content differs between two trees, or that only one holds: short enough
// to read when large files differ.
inline std::vector<std::string> Differences(const std::map<std::string, std::string>& a,
                                            const std::map<std::string, std::string>& b) {
    std::vector<std::string> names;
    for (const auto& [name, data] : a) {
        const auto other = b.find(name);
        if (other == b.end() || other->second != data) names.push_back(name);
    }
    for (const auto& [name, data] : b)
        if (a.count(name) == 0) names.push_back(name);
    return names;
}

}  // namespace quorvex6::testing
