// Progress for the dialog and gauge switches: one overwritten line on standard error, and
// only when it is a terminal. Silent otherwise, so logs and pipes stay clean.
#pragma once
#include <cstdint>
#include <string_view>

namespace quorvex6::backend {

class Progress {
  public:
    explicit Progress(bool wanted);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void Entry(std::string_view verb, std::string_view name, uint64_t index, uint64_t total);
    bool active() const { return active_; }

  private:
    bool active_;
    bool printed_ = false;
};

}  // namespace quorvex6::backend
