#include "common/replacement_file.h"

#include <optional>

namespace quorvex6::backend {

ReplacementFile::ReplacementFile(std::string target)
    : target_(std::move(target)), file_(OutputFile::CreateBeside(target_)) {}

ReplacementFile::~ReplacementFile() {
    if (!committed_) RemoveFile(file_.path());
}

void ReplacementFile::Commit() {
    std::string temp = file_.path();
    uint32_t mode = DefaultFileMode();
    if (auto old = StatPath(target_); old && old->kind == FileKind::kRegular) mode = old->mode;
    file_.SetMode(mode);
    file_.Sync();
    file_.Close();
    RenameFile(temp, target_);
    committed_ = true;
}

}  // namespace quorvex6::backend
