// What the RAR format tests share: archives under tests/data/rar opened as volume sets, and
// every entry's data decoded.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/archive_input.h"
#include "formats/rar/volume_set.h"
#include "io/memory.h"

namespace quorvex6::backend::rar {

inline std::filesystem::path RarData(const std::string& relative) {
    const char* dir = std::getenv("QV_TEST_DATA");
    return std::filesystem::path(dir ? dir : "tests/data") / "rar" / relative;
}

inline std::vector<std::uint8_t> FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline std::unique_ptr<io::RandomInput> OpenIfThere(const std::string& path) {
    if (!std::filesystem::exists(path)) return nullptr;
    return std::make_unique<ArchiveInput>(path);
}

inline VolumeSet OpenSet(const std::filesystem::path& path) {
    return VolumeSet(path.string(), OpenIfThere);
}

// The entry's data, or the fault that stopped it.
struct Decoded {
    std::vector<std::uint8_t> bytes;
    std::optional<io::Fault> fault;
};

// Each volume of a set opened once, when first read.
class SetInputs {
  public:
    explicit SetInputs(const VolumeSet& set) : set_(set) {}
    io::RandomInput& operator()(std::size_t v) {
        auto& in = inputs_[v];
        if (!in) in = std::make_unique<ArchiveInput>(set_.paths()[v]);
        return *in;
    }

  private:
    const VolumeSet& set_;
    std::map<std::size_t, std::unique_ptr<io::RandomInput>> inputs_;
};

// What `decode(sink)` gives, or the fault that stopped it.
template <class Decode>
Decoded Capture(Decode decode) {
    Decoded d;
    io::VectorSink sink(d.bytes);
    try {
        decode(sink);
    } catch (const io::Error& error) {
        d.fault = error.fault();
    }
    return d;
}

inline Decoded DecodeEntry(const VolumeSet& set, const JoinedEntry& entry) {
    SetInputs inputs(set);
    return Capture([&](io::Sink& sink) { VolumeSet::Decode(entry, std::ref(inputs), sink); });
}

inline const JoinedEntry* Find(const VolumeSet& set, const std::string& name) {
    for (const JoinedEntry& e : set.entries())
        if (e.entry.name == name) return &e;
    return nullptr;
}

}  // namespace quorvex6::backend::rar
