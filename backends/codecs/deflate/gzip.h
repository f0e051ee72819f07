// gzip (RFC 1952) as a sequence of members of at most kGzipMember input bytes each, two
// compressed at a time on two threads with libdeflate. Every gzip reader takes the members as
// one stream; the size costs little (each member starts without the previous 32 KiB).
#pragma once

#include <cstddef>
#include <memory>

#include "codecs/codec.h"

namespace quorvex6::backend::codecs::deflate {

inline constexpr std::size_t kGzipMember = 4 << 20;

std::unique_ptr<Encoder> MakeGzipEncoder(int level);
// Decodes every member until the input ends. gzip does not record the whole stream's size up
// front, so this decoder ignores `unpacked_size` (callers pass any value) and `packed_size`
// bounds the input only.
std::unique_ptr<Decoder> MakeGzipDecoder();

}  // namespace quorvex6::backend::codecs::deflate
