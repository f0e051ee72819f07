// The ends of packed streams, read by every LHA reader. A stream may end right after a code
// of no bits, on a byte boundary or not, in a short block or a long one, after a block cut at
// a segment boundary of the parallel encoder; each reader has its own way of telling the end
// from damage, and every file below once ended in a way one of them took for damage.
#include <cstdint>

#include "backends/unlha32/unlha32_fixture.h"

namespace {

using namespace quorvex6::unlha32_test;

class Noise {
  public:
    explicit Noise(uint64_t seed) : v_(seed) {}
    uint32_t Next() {
        v_ ^= v_ << 13, v_ ^= v_ >> 7, v_ ^= v_ << 17;
        return static_cast<uint32_t>(v_ >> 11);
    }
    std::string Bytes(size_t n) {
        std::string s(n, '\0');
        for (char& c : s) c = static_cast<char>(Next());
        return s;
    }

  private:
    uint64_t v_;
};

std::string Periodic(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 1; i < n; i += 2) s[i] = '\xff';
    return s;
}

// Runs of zeros (their streams end on codes of no bits), noise followed by runs of one byte,
// files of a few bytes (one short block), and inputs just past the encoder's 1 MiB segments
// (a short end after a block cut there).
std::map<std::string, std::string> Endings(bool every_segment_tail) {
    std::map<std::string, std::string> files;
    for (size_t n : {800, 1000, 5000, 9000, 50000, 300000})
        files["zeros-" + std::to_string(n)] = std::string(n, '\0');
    for (size_t n = 600; n < 1400; n += 7)
        files["zeros-" + std::to_string(n)] = std::string(n, '\0');
    Noise noise(2024);
    for (int i = 0; i < 200; ++i) {
        std::string data = noise.Bytes(50 + noise.Next() % 3000);
        data.append(100 + noise.Next() % 20000, "\x00\x20\xff"[i % 3]);
        files["runs-" + std::to_string(i)] = data;
    }
    for (size_t n = 1; n < 80; ++n) {
        files["tiny-zeros-" + std::to_string(n)] = std::string(n, '\0');
        files["tiny-ab-" + std::to_string(n)] = Periodic(n);
        files["tiny-text-" + std::to_string(n)] = Text(n);
    }
    constexpr size_t kMiB = size_t{1} << 20;
    for (size_t k = 1; k <= 100; ++k) {
        if (every_segment_tail || k <= 3 || k % 16 == 0 || k == 100) {
            files["segment-" + std::to_string(k)] = Periodic(kMiB + k);
        }
    }
    files["segment-3m"] = Periodic(3 * kMiB + 1);
    files["segment-text"] = Text(kMiB + 37);
    return files;
}

class StreamEndings : public Unlha32, public ::testing::WithParamInterface<const char*> {};

TEST_P(StreamEndings, EveryReaderReadsEveryEnding) {
    const std::string jm = GetParam();
    for (const auto& [name, data] : Endings(jm == "-jm2")) dir_.Write("src/" + name, data);
    const std::string arc = Arc("endings.lzh");
    ASSERT_EQ(Pack("-r0 -x0 -c1 -a0 -f1 -n " + jm, arc, dir_.str() + "/src"), 0) << log_;
    const auto src = Tree(dir_.path() / "src");
    ASSERT_EQ(Run("t \"" + arc + "\""), 0) << log_;
    for (const Tool& tool : kTools) {
        const fs::path out = dir_.path() / (std::string("by-") + tool.name);
        EXPECT_EQ(ExtractWith(tool, arc, out), 0) << tool.name;
        const auto back = Tree(out);
        std::string wrong;
        for (const auto& [name, data] : src) {
            auto it = back.find(name);
            if (it == back.end() || it->second != data) wrong += " " + name;
        }
        EXPECT_EQ(wrong, "") << tool.name;
        fs::remove_all(out);
    }
}

INSTANTIATE_TEST_SUITE_P(Methods, StreamEndings, ::testing::Values("-jm2", "-jm3", "-jm4"),
                         [](const auto& info) { return std::string(info.param + 1); });

}  // namespace
