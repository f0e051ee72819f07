// The RAR 5.0 LZ decoder (algorithm version 0): Huffman-coded literals and matches over a
// window, with its filters. One object decodes a solid stream member after member when each is
// declared through `prepare`; an undeclared member starts a stream of its own.
#pragma once
#include <memory>

#include "codecs/codec.h"
#include "codecs/rar5/window.h"

namespace quorvex6::backend::codecs::rar5 {

// The window is the smaller of the declared dictionary and what the stream so far and this
// member can reach back to (room for a match added), rounded up to a power of two: a small file
// gets a small window whatever it declares, and a solid stream's window grows with it. Past
// 8 MiB the window grows with the data actually decoded, so a claimed size costs nothing. A
// declared dictionary above kMaxDictionary (4 GiB, RAR 5.0's largest) makes `prepare` answer
// false before anything is allocated; memory that cannot be had is Status::kNoMemory.

std::unique_ptr<::quorvex6::backend::codecs::Decoder> MakeDecoder();

}  // namespace quorvex6::backend::codecs::rar5
