// The RAR 1.5 decoder (headers' version 15): an adaptive code without stored tables. A flags
// byte, itself coded, says per step whether a literal, a long match or a short match follows;
// literals, distances and flags are places in lists that reorder as they are used, and the
// code lengths shift with running averages of what came before. The window is 64 KiB. In a
// solid stream the window, the lists, the averages and the recent distances go on.
#pragma once

#include <memory>

#include "codecs/codec.h"

namespace quorvex6::backend::codecs::rar15 {

std::unique_ptr<::quorvex6::backend::codecs::Decoder> MakeDecoder();

}  // namespace quorvex6::backend::codecs::rar15
