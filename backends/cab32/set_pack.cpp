#include "cab32/set_pack.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "cab32/cab_failure.h"
#include "common/file_sink.h"
#include "common/replacement_file.h"
#include "common/result.h"
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

// The pack job's work file, read back.
class WorkInput final : public io::RandomInput {
  public:
    explicit WorkInput(const OutputFile& file) : file_(file) {}
    std::uint64_t size() const override { return file_.position(); }
    std::ptrdiff_t read_at(std::uint64_t offset, void* data, std::size_t n) override {
        try {
            return static_cast<std::ptrdiff_t>(file_.ReadAt(offset, data, n));
        } catch (const Failure&) {
            return -1;
        }
    }

  private:
    const OutputFile& file_;
};

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

void WriteSet(const std::string& archive, const OutputFile& work, const cab::SetContents& contents,
              std::uint64_t limit) {
    WorkInput data(work);
    const std::string folder = FolderOf(archive), first = BaseName(archive);
    std::vector<std::unique_ptr<SetOutput>> outputs;
    cab::SetNaming naming;
    naming.name_of = [&](std::size_t index) { return SetCabinetName(first, index); };
    naming.output_of = [&](std::size_t index) -> io::RandomOutput& {
        // Cabinets are written one after the other: the one before is whole.
        if (!outputs.empty()) {
            outputs.back()->out.Rethrow();
            outputs.back()->target.Park();
        }
        outputs.push_back(std::make_unique<SetOutput>(folder + SetCabinetName(first, index)));
        return outputs.back()->out;
    };
    try {
        cab::WriteCabinetSet(data, contents, limit, naming);
    } catch (const cab::SetTooLarge& error) {
        throw Failure(result::kTooManyFiles, error.what());
    } catch (const io::Error& error) {
        // A write that failed says why (a full disk) better than the format's fault.
        for (const auto& output : outputs) output->out.Rethrow();
        throw AsFailure(error);
    }
    for (const auto& output : outputs) output->out.Rethrow();
    // The first last: until then an old archive of that name stays where it was.
    for (std::size_t k = outputs.size(); k-- > 0;) outputs[k]->target.Commit();
}

}  // namespace quorvex6::backend::cab32
