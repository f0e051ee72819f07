// Opens files to be read through their folder, kept open while the next files are in it: the
// system then looks up one name for each file rather than walking its whole path again.
#pragma once
#include <optional>
#include <string>

#include "common/file_system.h"
#include "common/result.h"

namespace quorvex6::backend {

class InputOpener {
  public:
    // As InputFile(path); throws 0x800D.
    InputFile Open(const std::string& path);

  private:
    std::string folder_path_;  // ends in '/'
    std::optional<OpenFolder> folder_;
};

}  // namespace quorvex6::backend
