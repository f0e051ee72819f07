// An archive file as a format's reader takes it: read by offset, failing as formats fail
// (io::Error), so that no format needs to know the file calls' Failure.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "common/file_system.h"
#include "io/random_access.h"

namespace quorvex6::backend {

class ArchiveInput final : public io::RandomInput {
  public:
    // Throws io::Error(kCannotOpen) when the file cannot be opened.
    explicit ArchiveInput(const std::string& path);
    // An archive already open: its file calls' own Failure stands (a caller that opens a source
    // file keeps 0x800D, not the archive's 0x8018).
    explicit ArchiveInput(InputFile file) : file_(std::move(file)), size_(file_.Size()) {}
    // A file whose size is known already (as listed): read up to that size.
    ArchiveInput(InputFile file, uint64_t size) : file_(std::move(file)), size_(size) {}
    std::uint64_t size() const override { return size_; }
    // Safe on several threads at once (each read names its offset); -1 on a read error.
    std::ptrdiff_t read_at(std::uint64_t offset, void* data, std::size_t n) override;

  private:
    InputFile file_;
    std::uint64_t size_ = 0;
};

}  // namespace quorvex6::backend
