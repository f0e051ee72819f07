// An archive read by offset on one thread, with read-ahead: headers and small entries come in
// many short reads at rising offsets, which would otherwise each be a system call. A read error
// is a negative count, which the format reports as io::Fault::kRead.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "common/archive_input.h"
#include "io/random_access.h"

namespace quorvex6::backend {

class FileInput final : public io::RandomInput {
  public:
    // Throws the file calls' Failure when the file cannot be opened.
    explicit FileInput(const std::string& path) : file_(InputFile(path)) {}
    std::uint64_t size() const override { return file_.size(); }
    std::ptrdiff_t read_at(std::uint64_t offset, void* data, std::size_t n) override;

  private:
    static constexpr std::size_t kAhead = 64 * 1024;

    ArchiveInput file_;
    // Made at the first read and never zeroed: only what a read filled is ever copied out.
    std::unique_ptr<std::uint8_t[]> ahead_;
    std::size_t ahead_size_ = 0;  // bytes of ahead_ the last read filled
    std::uint64_t ahead_at_ = 0;  // offset of ahead_[0]
};

}  // namespace quorvex6::backend
