// Writing an archive that may already exist: the new archive is written beside it and renamed
// over it only when complete (after a sync), so a failure or a full disk leaves the old one.
#pragma once
#include <string>

#include "common/file_system.h"

namespace quorvex6::backend {

class ReplacementFile {
public:
    explicit ReplacementFile(std::string target);
    ~ReplacementFile();  // removes the unfinished file
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    OutputFile& file() { return file_; }
    // A new archive gets the default permissions, a replaced one keeps the old one's.
    void Commit();

private:
    std::string target_;
    OutputFile file_;
    bool committed_ = false;
};

}  // namespace quorvex6::backend
