// Sets past what one cabinet holds, made at test time and read back by our reader and by the
// other readers installed: more than 2 GiB of data that does not shrink, and more files than
// one cabinet lists. About a minute, so labelled long.
#include <cstdio>
#include <memory>

#include "backends/support/backend_library.h"

namespace quorvex6::testing {
namespace {

constexpr uint64_t kFileSize = uint64_t{768} << 20;  // three of them pass 2 GiB
constexpr const char* kNames[] = {"a.bin", "b.bin", "c.bin"};
constexpr uint64_t kVolumeKiB = 1'000'000;  // cuts fall inside folders

// The bytes of file `index`, in chunks; xorshift is fast and leaves nothing to compress.
class Noise {
  public:
    explicit Noise(size_t index) : state_(0x9E3779B97F4A7C15ull * (index + 1)) {}
    void Fill(std::vector<uint64_t>& chunk) {
        for (uint64_t& v : chunk) {
            state_ ^= state_ << 13;
            state_ ^= state_ >> 7;
            state_ ^= state_ << 17;
            v = state_;
        }
    }

  private:
    uint64_t state_;
};

constexpr size_t kChunkWords = 1 << 17;  // 1 MiB; kFileSize is a multiple

void MakeFile(const fs::path& path, size_t index) {
    std::ofstream out(path, std::ios::binary);
    Noise noise(index);
    std::vector<uint64_t> chunk(kChunkWords);
    for (uint64_t done = 0; done < kFileSize; done += chunk.size() * 8) {
        noise.Fill(chunk);
        out.write(reinterpret_cast<const char*>(chunk.data()),
                  static_cast<std::streamsize>(chunk.size() * 8));
    }
}

// Whether `in` yields the files one after another, each exactly, and then ends.
bool YieldsTheFiles(std::FILE* in, size_t first, size_t count) {
    std::vector<uint64_t> want(kChunkWords), got(kChunkWords);
    for (size_t index = first; index < first + count; ++index) {
        Noise noise(index);
        for (uint64_t done = 0; done < kFileSize; done += want.size() * 8) {
            noise.Fill(want);
            if (std::fread(got.data(), 8, got.size(), in) != got.size() || got != want)
                return false;
        }
    }
    return std::fgetc(in) == EOF;
}

bool SameAsMade(const fs::path& path, size_t index) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(path.c_str(), "rb"), std::fclose);
    return in && YieldsTheFiles(in.get(), index, 1);
}

class CabBigSet : public ScratchTest {
  protected:
    BackendLibrary cab_{"cab32"};
};

TEST_F(CabBigSet, MoreThanTwoGiBInAllReadsBackLong) {
    fs::path src = root_ / "src", set = root_ / "set";
    fs::create_directories(src);
    fs::create_directories(set);
    for (size_t i = 0; i < std::size(kNames); ++i) MakeFile(src / kNames[i], i);
    std::string log;
    ASSERT_EQ(cab_.Command("Cab",
                           "-a -ms -i -v:" + std::to_string(kVolumeKiB) + " " +
                               Quote(set / "big.cab") + " " + QuoteFolder(src) + " *.*",
                           &log),
              0)
        << log;
    fs::remove_all(src);  // the data is made again to compare, sparing the disk
    uint64_t total = 0;
    size_t cabinets = 0;
    for (const auto& item : fs::directory_iterator(set)) {
        EXPECT_LE(item.file_size(), kVolumeKiB * 1024) << item.path();
        total += item.file_size();
        ++cabinets;
    }
    EXPECT_GT(total, uint64_t{2} << 30);
    EXPECT_EQ(cabinets, 3u);
    EXPECT_TRUE(fs::exists(set / "big3.cab"));

    fs::path ours = root_ / "ours";
    ASSERT_EQ(
        cab_.Command("Cab", "-x -i " + Quote(set / "big.cab") + " " + QuoteFolder(ours) + " *.*"),
        0);
    for (size_t i = 0; i < std::size(kNames); ++i)
        EXPECT_TRUE(SameAsMade(ours / kNames[i], i)) << kNames[i];
    fs::remove_all(ours);

    // Other readers write the files, in stored order, to their output: nothing on disk.
    for (const char* tool : {"cabextract -q -p %A", "7zz x -so %A"}) {
        std::string command = tool;
        if (RunTool("command -v " + command.substr(0, command.find(' '))) != 0) continue;
        command.replace(command.find("%A"), 2, Quote(set / "big.cab"));
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> pipe(
            popen((command + " 2>/dev/null").c_str(), "r"), pclose);
        ASSERT_TRUE(pipe) << command;
        EXPECT_TRUE(YieldsTheFiles(pipe.get(), 0, std::size(kNames))) << command;
    }
}

// Stored files are folders of their own, and folder indices from 0xFFFD on mean continued
// files: one cabinet takes 65533 files with data, a set takes them all.
TEST_F(CabBigSet, MoreFilesThanACabinetListsLong) {
    constexpr int kFiles = 0x10001;
    fs::path src = root_ / "src", set = root_ / "set";
    fs::create_directories(src);
    fs::create_directories(set);
    for (int i = 0; i < kFiles; ++i) {
        std::string name = std::to_string(100000 + i);
        std::ofstream(src / name, std::ios::binary) << name;
    }
    auto pack = [&](const std::string& options, const fs::path& archive) {
        return cab_.Command(
            "Cab", "-a -ms -i " + options + " " + Quote(archive) + " " + QuoteFolder(src) + " *.*");
    };
    EXPECT_EQ(pack("", root_ / "one.cab"), 0x8011);
    EXPECT_FALSE(fs::exists(root_ / "one.cab"));
    ASSERT_EQ(pack("-v:100000", set / "many.cab"), 0);
    EXPECT_TRUE(fs::exists(set / "many2.cab"));
    EXPECT_FALSE(fs::exists(set / "many3.cab"));

    fs::path ours = root_ / "ours", theirs = root_ / "theirs";
    ASSERT_EQ(
        cab_.Command("Cab", "-x -i " + Quote(set / "many.cab") + " " + QuoteFolder(ours) + " *.*"),
        0);
    const std::map<std::string, std::string> all = ReadTree(src);
    EXPECT_EQ(ReadTree(ours), all);
    if (RunTool("command -v cabextract") == 0) {
        EXPECT_EQ(RunTool("cabextract -q -d " + Quote(theirs) + " " + Quote(set / "many.cab")), 0);
        EXPECT_EQ(ReadTree(theirs), all);
    }
}

}  // namespace
}  // namespace quorvex6::testing
