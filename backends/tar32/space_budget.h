// Free space for entries whose sizes come one at a time, as a TAR stream is read (other kinds
// compare the whole selection up front). Asked once and counted down; asked again only when an
// entry does not fit what is left, so that many small files cost no call each.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace quorvex6::backend::tar32 {

class SpaceBudget {
  public:
    explicit SpaceBudget(std::string folder) : folder_(std::move(folder)) {}
    // Throws 0x8005 naming the entry when its `bytes` exceed the free space of the folder.
    void Take(const std::string& name, uint64_t bytes);

  private:
    std::string folder_;
    std::optional<uint64_t> left_;
};

}  // namespace quorvex6::backend::tar32
