// A 100 MB file through libish32 both ways, in every variant: minutes, so labelled long.
#include <random>

#include "backends/support/backend_library.h"

namespace quorvex6::testing {
namespace {

constexpr size_t kSize = 100'000'000;

bool SameFiles(const fs::path& a, const fs::path& b) {
    std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
    std::vector<char> p(1 << 20), q(1 << 20);
    while (x && y) {
        x.read(p.data(), static_cast<std::streamsize>(p.size()));
        y.read(q.data(), static_cast<std::streamsize>(q.size()));
        if (x.gcount() != y.gcount() || !std::equal(p.begin(), p.begin() + x.gcount(), q.begin()))
            return false;
    }
    return !x && !y;
}

class Ish32Large : public ScratchTest {
  protected:
    BackendLibrary lib_{"ish32"};
};

TEST_F(Ish32Large, AHundredMegabytesComeBackWhole) {
    fs::path file = root_ / "in" / "big.bin";
    fs::create_directories(file.parent_path());
    {
        std::ofstream out(file, std::ios::binary);
        std::mt19937_64 random(11);
        std::vector<uint64_t> chunk(1 << 17);
        for (size_t done = 0; done < kSize; done += chunk.size() * 8) {
            for (uint64_t& v : chunk) v = random();
            out.write(reinterpret_cast<const char*>(chunk.data()),
                      static_cast<std::streamsize>(std::min(chunk.size() * 8, kSize - done)));
        }
    }
    auto ish = lib_.Get<QvIshCommandFn>("Ish");
    for (const char* variant : {"/s7", "/s", "/ss", "/sn"}) {
        SCOPED_TRACE(variant);
        fs::path texts = root_ / "texts";
        fs::path out = root_ / "out";
        fs::remove_all(out);
        fs::create_directories(texts);
        fs::create_directories(out);
        std::string encode = "/s " + file.string() + " " + variant + " /f=" + texts.string();
        ASSERT_EQ(ish(0, encode.c_str()), 0);
        std::string restore = " /a " + (texts / "big.ish").string() + " /f=" + out.string();
        ASSERT_EQ(ish(0, restore.c_str()), 0);
        EXPECT_TRUE(SameFiles(file, out / "big.bin"));
    }
}

}  // namespace
}  // namespace quorvex6::testing
