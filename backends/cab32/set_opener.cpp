#include "cab32/set_opener.h"

#include <list>
#include <memory>
#include <mutex>
#include <optional>

#include "common/archive_input.h"
#include "common/file_system.h"
#include "common/result.h"

namespace quorvex6::backend::cab32 {

namespace {

class LazyCabinet;

// The later cabinets of a set open at once: a set may hold more cabinets than the process may
// have files open, so only the most recently read few are.
struct OpenCabinets {
    static constexpr std::size_t kLimit = 8;
    std::mutex mutex;
    std::list<LazyCabinet*> recent;  // most recently read first
};

// A later cabinet of a set, opened when read. Opened again, it must still be the file it was
// (device, inode, size and time), or it reads as an error.
class LazyCabinet final : public io::RandomInput {
  public:
    LazyCabinet(std::shared_ptr<OpenCabinets> pool, std::string path, const FileStat& stat)
        : pool_(std::move(pool)), path_(std::move(path)), stat_(stat) {}
    ~LazyCabinet() override {
        std::lock_guard<std::mutex> lock(pool_->mutex);
        pool_->recent.remove(this);
    }
    LazyCabinet(const LazyCabinet&) = delete;
    LazyCabinet& operator=(const LazyCabinet&) = delete;

    std::uint64_t size() const override { return stat_.size; }
    std::ptrdiff_t read_at(std::uint64_t offset, void* data, std::size_t n) override {
        std::lock_guard<std::mutex> lock(pool_->mutex);
        if (!file_ && !Open()) return -1;
        pool_->recent.remove(this);
        pool_->recent.push_front(this);
        return file_->read_at(offset, data, n);
    }

  private:
    // Under the pool's lock.
    bool Open() {
        std::optional<FileStat> now = StatPath(path_);
        if (!now || now->device != stat_.device || now->inode != stat_.inode ||
            now->size != stat_.size || now->mtime != stat_.mtime || now->mtime_ns != stat_.mtime_ns)
            return false;
        while (pool_->recent.size() >= OpenCabinets::kLimit) {
            pool_->recent.back()->file_.reset();
            pool_->recent.pop_back();
        }
        try {
            file_.emplace(path_);
        } catch (const io::Error&) {
            return false;
        }
        return true;
    }

    std::shared_ptr<OpenCabinets> pool_;
    std::string path_;
    FileStat stat_;
    std::optional<ArchiveInput> file_;
};

// The file `name` in `folder`: the exact name first, else the one name equal to it but for
// case. A name with a separator in it is not taken: the set lies in one folder.
std::unique_ptr<io::RandomInput> OpenBeside(const std::shared_ptr<OpenCabinets>& pool,
                                            const std::string& folder, const std::string& name) {
    if (name.empty() || name.find_first_of("/\\") != std::string::npos) return nullptr;
    std::string exact = folder + name;
    std::string found;
    std::optional<FileStat> stat = StatPath(exact);
    if (stat && stat->kind == FileKind::kRegular) {
        found = exact;
    } else {
        try {
            for (const FolderItem& item : ListFolder(folder.empty() ? "." : folder)) {
                if (item.stat.kind == FileKind::kRegular && cab::SameCabinetName(item.name, name)) {
                    found = folder + item.name;
                    stat = item.stat;
                }
            }
        } catch (const Failure&) {
            return nullptr;
        }
    }
    if (found.empty()) return nullptr;
    return std::make_unique<LazyCabinet>(pool, found, *stat);
}

}  // namespace

std::unique_ptr<cab::CabReader> OpenCabinetSet(const std::string& path) {
    std::size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return std::make_unique<cab::CabReader>(
        std::make_unique<ArchiveInput>(path), name,
        [folder, pool = std::make_shared<OpenCabinets>()](const std::string& next) {
            return OpenBeside(pool, folder, next);
        });
}

}  // namespace quorvex6::backend::cab32
