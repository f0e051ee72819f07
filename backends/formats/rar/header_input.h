// Reading a header's bytes from the archive: a short read is a broken header, a failing one
// a read error.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "io/fault.h"
#include "io/random_access.h"

namespace quorvex6::backend::rar {

inline std::vector<std::uint8_t> ReadHeaderBytes(io::RandomInput& in, std::uint64_t offset,
                                                 std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    std::ptrdiff_t got = in.read_at(offset, bytes.data(), n);
    if (got < 0) throw io::Error(io::Fault::kRead, "cannot read the archive");
    if (static_cast<std::size_t>(got) != n)
        throw io::Error(io::Fault::kBrokenHeader,
                        "the archive ends inside a header at offset " + std::to_string(offset));
    return bytes;
}

// An entry's data must lie inside the file it was read from.
inline void CheckDataInside(io::RandomInput& in, std::uint64_t offset, std::uint64_t size,
                            const std::string& name) {
    if (offset > in.size() || size > in.size() - offset)
        throw io::Error(io::Fault::kBrokenData, "the archive ends inside the data of " + name);
}

}  // namespace quorvex6::backend::rar
