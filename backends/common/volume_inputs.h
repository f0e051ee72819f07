// The volumes of one archive set as read handles, each file opened when first read: one per
// worker of an extraction (jobs::HandlePool), so that workers never share a position.
#pragma once
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/file_input.h"

namespace quorvex6::backend {

class VolumeInputs {
  public:
    explicit VolumeInputs(const std::vector<std::string>& paths)
        : paths_(paths), opened_(paths.size()) {}
    // Throws what FileInput throws for a volume that cannot be opened.
    io::RandomInput& operator()(std::size_t volume) {
        if (!opened_[volume]) opened_[volume] = std::make_unique<FileInput>(paths_[volume]);
        return *opened_[volume];
    }

  private:
    std::vector<std::string> paths_;
    std::vector<std::unique_ptr<FileInput>> opened_;
};

// How a volume set opens its files: `path` first (opened here, 0x8018 when it cannot be), then
// each later volume by name, nullptr for one that cannot be opened (the set ends there).
std::function<std::unique_ptr<io::RandomInput>(const std::string&)> ArchiveVolumeOpener(
    const std::string& path);

}  // namespace quorvex6::backend
