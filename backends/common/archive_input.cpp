#include "common/archive_input.h"

#include "common/result.h"
#include "io/fault.h"

namespace quorvex6::backend {

ArchiveInput::ArchiveInput(const std::string& path) {
    try {
        file_ = InputFile(path);
    } catch (const Failure& f) {
        throw io::Error(io::Fault::kCannotOpen, f.what());
    }
    try {
        size_ = file_.Size();
    } catch (const Failure& f) {
        throw io::Error(io::Fault::kRead, f.what());
    }
}

std::ptrdiff_t ArchiveInput::read_at(std::uint64_t offset, void* data, std::size_t n) {
    try {
        return static_cast<std::ptrdiff_t>(file_.ReadAt(offset, data, n));
    } catch (const Failure&) {
        return -1;
    }
}

}  // namespace quorvex6::backend
