// CAB's methods as rows of the frame codec table: typeCompress's low nibble picks the row,
// bits 8..12 give the window and bits 4..7 Quantum's level.
#pragma once
#include <cstdint>
#include <memory>

#include "codecs/frame_codec.h"

namespace quorvex6::backend::cab {

// The decoder of `type`'s folders; nullptr for stored ones. Throws io::Error: kUnknownMethod
// for a method or an LZX window no row takes, kBrokenData for a Quantum window out of range.
std::unique_ptr<codecs::FrameDecoder> MakeFrameDecoder(std::uint16_t type);

// The encoder of `type`'s folders, `level` as the MSZIP row takes it; nullptr for stored
// ones. Throws io::Error(kUnknownMethod) for a setup no row takes.
std::unique_ptr<codecs::FrameEncoder> MakeFrameEncoder(std::uint16_t type, int level);

// Bytes an encoder of `type` holds.
std::uint64_t EncoderFootprint(std::uint16_t type);

}  // namespace quorvex6::backend::cab
