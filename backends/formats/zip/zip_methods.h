// The ZIP methods we know: the only list of them. Reader, writer, listings and the libraries
// all look a method up here; a new method is one row in zip_methods.cpp (and its codec's row in
// codecs/stream_methods.cpp).
#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "codecs/codec.h"

namespace quorvex6::backend::zip {

// The two methods the writer chooses between by name.
inline constexpr uint16_t kMethodStored = 0;
inline constexpr uint16_t kMethodDeflate = 8;

struct MethodRow {
    uint16_t number;          // the record's method field
    std::string_view codec;   // the codec table's id; empty for stored data, which needs none
    std::string_view listed;  // the name listings show, at most 5 characters
    uint16_t version_needed;  // "version needed to extract" for an entry of this method
    bool writable;            // we write it (a codec with an encoder stands behind it)
};

std::span<const MethodRow> Methods();

// The row of `number`, or nullptr for a method we do not know.
const MethodRow* FindMethod(uint16_t number);

// The listed name, or "M" and the number for a method we do not know.
std::string MethodText(uint16_t number);

// A decoder for `number`; nullptr for stored data and for a method no codec here decodes.
std::unique_ptr<quorvex6::backend::codecs::Decoder> MakeDecoder(uint16_t number);

// An encoder for a writable method at `level` (1..9, clamped). Throws io::Error(kUnknownMethod)
// when no codec here writes it.
std::unique_ptr<quorvex6::backend::codecs::Encoder> MakeEncoder(uint16_t number, int level);

}  // namespace quorvex6::backend::zip
