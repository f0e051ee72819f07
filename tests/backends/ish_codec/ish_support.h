// Driving the ISH codec over memory in tests: encode a file, decode every file of a text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "codecs/ish/ish.h"

namespace quorvex6::backend::codecs::ish::test {

using Bytes = std::vector<std::uint8_t>;

// 2024-01-02 03:04:06, the time of the reference inputs.
inline constexpr std::uint32_t kVectorTime = 0x58221883;

Bytes read_file(const std::string& path);
std::string data_path(const std::string& relative);  // below tests/data/ish
Bytes random_bytes(std::size_t size, unsigned seed);

FileInfo info_for(const std::string& name, std::size_t size, Variant v);
// The text of `data`, read from a Source that gives `step` bytes a call.
Bytes encode(const FileInfo& info, const Bytes& data, std::size_t step = SIZE_MAX);

struct Decoded {
    FileInfo info;
    Status status = Status::kOk;
    DecodeReport report;
    Bytes data;
};
// Every file of `text`, in order.
std::vector<Decoded> decode_all(const Bytes& text, std::size_t step = SIZE_MAX);

// The lines of a text (without their line ends) and back.
std::vector<std::string> split_lines(const Bytes& text);
Bytes join_lines(const std::vector<std::string>& lines);

}  // namespace quorvex6::backend::codecs::ish::test
