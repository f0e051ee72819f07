#include "cab32/set_pack.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "cab32/cab_failure.h"
#include "common/archive_input.h"
#include "common/file_sink.h"
#include "common/replacement_file.h"
#include "formats/cab/cab_format.h"
#include "formats/cab/cab_set_writer.h"

namespace quorvex6::backend::cab32 {

namespace {

std::string BaseName(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// One cabinet of the set being written, in place only on Commit.
struct SetOutput {
    explicit SetOutput(const std::string& path) : target(path), out(target.file()) {}
    ReplacementFile target;
    FileOutput<OutputFile> out;
};

}  // namespace

std::string SetCabinetName(const std::string& first, std::size_t index) {
    if (index == 0) return first;
    std::size_t dot = first.rfind('.');
    if (dot == std::string::npos || dot == 0) dot = first.size();
    return first.substr(0, dot) + std::to_string(index + 1) + first.substr(dot);
}

void CheckSetLimit(const std::string& archive, std::uint64_t limit, std::size_t longest_name) {
    // The longest names are those of the highest numbers a set can have; names past what a
    // header holds are refused as the set is written.
    std::size_t longest_link =
        std::min(SetCabinetName(BaseName(archive), 0xFFFF).size(), cab::kMaxName);
    if (limit < cab::SmallestSetCabinet(longest_name, longest_link))
        throw Failure(result::kBadCommand, "-v: is too small for the cabinets' headers");
}

void SplitIntoSet(const std::string& archive, std::uint64_t limit) {
    ArchiveInput single(archive);
    if (single.size() <= limit) return;
    const std::string folder = FolderOf(archive), first = BaseName(archive);
    std::vector<std::unique_ptr<SetOutput>> outputs;
    cab::SetNaming naming;
    naming.name_of = [&](std::size_t index) { return SetCabinetName(first, index); };
    naming.output_of = [&](std::size_t index) -> io::RandomOutput& {
        outputs.push_back(std::make_unique<SetOutput>(folder + SetCabinetName(first, index)));
        return outputs.back()->out;
    };
    try {
        cab::WriteCabinetSet(single, limit, naming);
    } catch (const io::Error& error) {
        // A write that failed says why (a full disk) better than the format's fault.
        for (const auto& output : outputs) output->out.Rethrow();
        throw AsFailure(error);
    }
    for (const auto& output : outputs) output->out.Rethrow();
    // The first last: until then the whole cabinet stays where it was.
    for (std::size_t k = outputs.size(); k-- > 0;) outputs[k]->target.Commit();
}

}  // namespace quorvex6::backend::cab32
