// The decoder of a RAR 1.5-4.x member by the version its header names: file data and the old
// comment blocks alike.
#pragma once
#include <cstdint>

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

}  // namespace quorvex6::backend::rar
