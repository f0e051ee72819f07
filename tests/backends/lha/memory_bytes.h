// ByteInput and ByteOutput over memory, for driving the LHA container in tests.
#ifndef QV_TESTS_LHA_MEMORY_BYTES_H
#define QV_TESTS_LHA_MEMORY_BYTES_H

#include "codecs/codec.h"
#include "formats/lha/byte_io.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace quorvex6::formats::lha::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes read_file(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}

class MemoryInput final : public ByteInput {
public:
    explicit MemoryInput(Bytes data) : data_(std::move(data)) {}
    std::uint64_t size() const override { return data_.size(); }
    std::ptrdiff_t read_at(std::uint64_t offset, void* out, std::size_t n) override {
        if (offset >= data_.size()) return 0;
        std::size_t k = std::min<std::size_t>(n, data_.size() - static_cast<std::size_t>(offset));
        std::memcpy(out, data_.data() + offset, k);
        return static_cast<std::ptrdiff_t>(k);
    }
    const Bytes& bytes() const { return data_; }

private:
    Bytes data_;
};

class MemoryOutput final : public ByteOutput {
public:
    bool write_at(std::uint64_t offset, const void* data, std::size_t n) override {
        if (bytes.size() < offset + n) bytes.resize(offset + n);
        std::memcpy(bytes.data() + offset, data, n);
        return true;
    }
    Bytes bytes;
};

class CollectSink final : public codecs::Sink {
public:
    bool write(const std::uint8_t* data, std::size_t size) override {
        bytes.insert(bytes.end(), data, data + size);
        return true;
    }
    Bytes bytes;
};

}  // namespace quorvex6::formats::lha::test

#endif
