// The decoder of a RAR 1.5-4.x member by the version its header names: file data and the old
// comment blocks and the newer CMT blocks alike.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "codecs/method_tables.h"

namespace quorvex6::backend::rar {

// nullptr for a version no codec here decodes.
inline const ::quorvex6::backend::codecs::Method* Rar4Codec(std::uint8_t version) {
    switch (version) {
        case 15:
            return ::quorvex6::backend::codecs::FindMethod(
                ::quorvex6::backend::codecs::RarMethods(), "rar15");
        case 20:
        case 26:
            return ::quorvex6::backend::codecs::FindMethod(
                ::quorvex6::backend::codecs::RarMethods(), "rar20");
        case 29:
            return ::quorvex6::backend::codecs::FindMethod(
                ::quorvex6::backend::codecs::RarMethods(), "rar29");
        default:
            return nullptr;
    }
}

// Decodes a small member held whole in memory (a comment) into `out`; false when no codec
// decodes the version, the stream is damaged or it gives other than `size` bytes.
bool UnpackRar4(std::span<const std::uint8_t> packed, std::uint8_t version, std::size_t size,
                std::vector<std::uint8_t>& out);

}  // namespace quorvex6::backend::rar
