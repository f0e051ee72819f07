#include "codecs/rar3/ppm_block.h"

#include <cstddef>

namespace quorvex6::backend::codecs::rar3 {

bool PpmBlock::Start() {
    unsigned flags = bits_.Bits(7);
    bool restart = (flags & 0x20) != 0;
    std::size_t memory = 0;
    if (restart) memory = std::size_t{bits_.Bits(8) + 1} << 20;
    if (flags & 0x40) escape_ = static_cast<int>(bits_.Bits(8));
    if (restart) {
        // Orders past 16 are stored in steps of three.
        int order = static_cast<int>(flags & 0x1F) + 1;
        if (order > 16) order = 16 + (order - 16) * 3;
        if (order < ppmd::kMinOrder || !model_.Restart(order, memory)) return false;
        model_started_ = true;
    }
    if (!model_started_) return false;
    bytes_.Restart();
    coder_.Start();
    return true;
}

}  // namespace quorvex6::backend::codecs::rar3
