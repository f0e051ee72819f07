// RandomInput and RandomOutput over memory, for driving the LHA container in tests.
#pragma once

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "io/fault.h"
#include "io/random_access.h"
#include "io/stream.h"

namespace quorvex6::backend::lha::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes read_file(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}

class MemoryInput final : public io::RandomInput {
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

class MemoryOutput final : public io::RandomOutput {
  public:
    bool write_at(std::uint64_t offset, const void* data, std::size_t n) override {
        if (n == 0) return true;  // an empty span may come without storage
        if (bytes.size() < offset + n) bytes.resize(offset + n);
        std::memcpy(bytes.data() + offset, data, n);
        return true;
    }
    Bytes bytes;
};

class CollectSink final : public io::Sink {
  public:
    bool write(const std::uint8_t* data, std::size_t size) override {
        bytes.insert(bytes.end(), data, data + size);
        return true;
    }
    Bytes bytes;
};

// The fault `call` throws, or nullopt when it returns.
template <class Call>
std::optional<io::Fault> FaultOf(Call&& call) {
    try {
        call();
    } catch (const io::Error& error) {
        return error.fault();
    }
    return std::nullopt;
}

}  // namespace quorvex6::backend::lha::test
