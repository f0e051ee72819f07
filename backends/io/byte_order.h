// Little-endian fields, the byte order of every archive format served here.
#pragma once
#include <cstdint>
#include <string>

namespace quorvex6::backend::io {

inline std::uint16_t Le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t Le32(const std::uint8_t* p) {
    return Le16(p) | (static_cast<std::uint32_t>(Le16(p + 2)) << 16);
}
inline std::uint64_t Le64(const std::uint8_t* p) {
    return Le32(p) | (static_cast<std::uint64_t>(Le32(p + 4)) << 32);
}

inline void StoreLe16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void StoreLe32(std::uint8_t* p, std::uint32_t v) {
    StoreLe16(p, static_cast<std::uint16_t>(v));
    StoreLe16(p + 2, static_cast<std::uint16_t>(v >> 16));
}
inline void StoreLe64(std::uint8_t* p, std::uint64_t v) {
    StoreLe32(p, static_cast<std::uint32_t>(v));
    StoreLe32(p + 4, static_cast<std::uint32_t>(v >> 32));
}

// Appending, for records built up in a byte string.
inline void PutLe16(std::string& out, std::uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}
inline void PutLe32(std::string& out, std::uint32_t v) {
    PutLe16(out, static_cast<std::uint16_t>(v));
    PutLe16(out, static_cast<std::uint16_t>(v >> 16));
}
inline void PutLe64(std::string& out, std::uint64_t v) {
    PutLe32(out, static_cast<std::uint32_t>(v));
    PutLe32(out, static_cast<std::uint32_t>(v >> 32));
}

}  // namespace quorvex6::backend::io
