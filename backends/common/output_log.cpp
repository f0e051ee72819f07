#include "common/output_log.h"

#include <algorithm>
#include <cstring>

namespace quorvex6::backend {

void OutputLog::Line(std::string_view head, std::string_view tail) {
    if (full_) return;
    if (text_.size() + head.size() + tail.size() + 1 > kMaxBytes) {
        text_ += "...\n";
        full_ = true;
        return;
    }
    text_.append(head);
    text_.append(tail);
    text_ += '\n';
}

void OutputLog::CopyTo(char* out, uint32_t size) const {
    if (out == nullptr || size == 0) return;
    size_t n = std::min<size_t>(text_.size(), size - 1);
    std::memcpy(out, text_.data(), n);
    out[n] = '\0';
}

}  // namespace quorvex6::backend
