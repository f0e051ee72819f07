#include "cab32/set_opener.h"

#include "common/archive_input.h"
#include "common/file_system.h"
#include "common/result.h"

namespace quorvex6::backend::cab32 {

namespace {

// The file `name` in `folder`: the exact name first, else the one name equal to it but for
// case. A name with a separator in it is not taken: the set lies in one folder.
std::unique_ptr<io::RandomInput> OpenBeside(const std::string& folder, const std::string& name) {
    if (name.empty() || name.find_first_of("/\\") != std::string::npos) return nullptr;
    std::string exact = folder + name;
    std::string found;
    if (auto stat = StatPath(exact); stat && stat->kind == FileKind::kRegular) {
        found = exact;
    } else {
        try {
            for (const FolderItem& item : ListFolder(folder.empty() ? "." : folder))
                if (item.stat.kind == FileKind::kRegular && cab::SameCabinetName(item.name, name))
                    found = folder + item.name;
        } catch (const Failure&) {
            return nullptr;
        }
    }
    if (found.empty()) return nullptr;
    try {
        return std::make_unique<ArchiveInput>(found);
    } catch (const io::Error&) {
        return nullptr;
    }
}

}  // namespace

std::unique_ptr<cab::CabReader> OpenCabinetSet(const std::string& path) {
    std::size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return std::make_unique<cab::CabReader>(
        std::make_unique<ArchiveInput>(path), name,
        [folder](const std::string& next) { return OpenBeside(folder, next); });
}

}  // namespace quorvex6::backend::cab32
