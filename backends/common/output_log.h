// The human-readable log a command leaves in the caller's output buffer. Bounded: after
// kMaxBytes only a final "..." line is kept, whatever the archive's size.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvex6::backend {

class OutputLog {
  public:
    static constexpr size_t kMaxBytes = 1 << 20;

    void Line(std::string_view text) { Line(text, {}); }
    // One line of two parts, without joining them first (a line per entry of a large archive).
    void Line(std::string_view head, std::string_view tail);
    const std::string& text() const { return text_; }
    // Cut to `size` bytes, always NUL-terminated; nothing is written when size is 0.
    void CopyTo(char* out, uint32_t size) const;

  private:
    std::string text_;
    bool full_ = false;
};

}  // namespace quorvex6::backend
