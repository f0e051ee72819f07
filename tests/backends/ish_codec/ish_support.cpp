#include "backends/ish_codec/ish_support.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

#include "backends/lh_codecs/memory_streams.h"

namespace quorvex6::backend::codecs::ish::test {

using codecs::test::MemorySink;
using codecs::test::MemorySource;

Bytes read_file(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

std::string data_path(const std::string& relative) {
    const char* root = std::getenv("QV_TEST_DATA");
    return std::string(root != nullptr ? root : "tests/data") + "/ish/" + relative;
}

Bytes random_bytes(std::size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes out(size);
    for (auto& b : out) b = static_cast<std::uint8_t>(rng());
    return out;
}

FileInfo info_for(const std::string& name, std::size_t size, Variant v) {
    FileInfo info;
    info.name = name;
    info.size = static_cast<std::uint32_t>(size);
    info.dos_time = kVectorTime;
    info.variant = v;
    return info;
}

Bytes encode(const FileInfo& info, const Bytes& data, std::size_t step) {
    MemorySource in(data, step);
    MemorySink out;
    Status s = MakeEncoder(info)->encode(in, out, UINT64_MAX);
    if (s != Status::kOk) return {};
    return out.bytes;
}

std::vector<Decoded> decode_all(const Bytes& text, std::size_t step) {
    MemorySource in(text, step);
    Reader reader(in);
    std::vector<Decoded> files;
    while (std::optional<FileInfo> info = reader.next()) {
        MemorySink out;
        Decoded d;
        d.info = *info;
        d.status = reader.decode(out);
        d.report = reader.report();
        d.data = std::move(out.bytes);
        files.push_back(std::move(d));
    }
    return files;
}

std::vector<std::string> split_lines(const Bytes& text) {
    std::vector<std::string> lines;
    std::string line;
    for (std::uint8_t c : text) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += static_cast<char>(c);
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

Bytes join_lines(const std::vector<std::string>& lines) {
    Bytes text;
    for (const std::string& l : lines) {
        text.insert(text.end(), l.begin(), l.end());
        text.push_back('\n');
    }
    return text;
}

}  // namespace quorvex6::backend::codecs::ish::test
