// Decoding speed of RAR archives in one process, ours against libarchive, so that program
// start-up does not hide the decoders: each archive is read into memory once, then decoded
// whole (headers and every entry's data) round after round, the two alternating.
//   bench_rar_decode SECONDS ARCHIVE...
// One line per archive: bytes of output, MB/s of output of each (median of the rounds), and
// ours / libarchive. An archive whose output differs between the two is reported and skipped.
#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "formats/rar/solid_stream.h"
#include "formats/rar/volume_set.h"
#include "io/crc32.h"
#include "io/memory.h"

namespace {

using namespace quorvex6::backend;
using Bytes = std::vector<std::uint8_t>;

// What a decoder gave: its length and CRC-32, to compare the two decoders by.
struct Output {
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
    bool operator==(const Output&) const = default;
};

class CheckingSink final : public io::Sink {
  public:
    explicit CheckingSink(Output& out) : out_(out) {}
    bool write(const std::uint8_t* data, std::size_t size) override {
        out_.crc = io::Crc32(out_.crc, data, size);
        out_.size += size;
        return true;
    }

  private:
    Output& out_;
};

Output DecodeOurs(const std::string& path, const Bytes& archive) {
    auto open = [&](const std::string& name) -> std::unique_ptr<io::RandomInput> {
        if (name != path) return nullptr;
        return std::make_unique<io::MemoryInput>(archive);
    };
    rar::VolumeSet set(path, open);
    io::MemoryInput input(archive);
    rar::SolidStream stream(set.entries(), [&](std::size_t) -> io::RandomInput& { return input; });
    Output out;
    CheckingSink sink(out);
    // A symbolic link's target is data to RAR 4 but not to libarchive, which gives no bytes.
    for (std::size_t i = 0; i < set.entries().size(); ++i) {
        const rar::Entry& e = set.entries()[i].entry;
        if (e.has_data() && !e.symlink_in_data()) stream.Decode(i, sink);
    }
    return out;
}

Output DecodeLibarchive(const Bytes& archive) {
    std::unique_ptr<struct archive, int (*)(struct archive*)> a(archive_read_new(),
                                                                archive_read_free);
    archive_read_support_format_rar(a.get());
    archive_read_support_format_rar5(a.get());
    Output out;
    if (archive_read_open_memory(a.get(), archive.data(), archive.size()) != ARCHIVE_OK) return out;
    struct archive_entry* entry = nullptr;
    Bytes buffer(64 * 1024);
    while (archive_read_next_header(a.get(), &entry) == ARCHIVE_OK) {
        for (;;) {
            la_ssize_t got = archive_read_data(a.get(), buffer.data(), buffer.size());
            if (got <= 0) break;
            out.crc = io::Crc32(out.crc, buffer.data(), static_cast<std::size_t>(got));
            out.size += static_cast<std::uint64_t>(got);
        }
    }
    return out;
}

// MB/s of output over as many decodes as fit in `seconds`.
double Speed(const std::function<Output()>& decode, double seconds) {
    using Clock = std::chrono::steady_clock;
    auto start = Clock::now();
    std::uint64_t bytes = 0;
    std::chrono::duration<double> spent{};
    do {
        bytes += decode().size;
        spent = Clock::now() - start;
    } while (spent.count() < seconds);
    return static_cast<double>(bytes) / 1e6 / spent.count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_rar_decode SECONDS ARCHIVE...\n");
        return 2;
    }
    constexpr int kRounds = 7;
    const double slice = std::stod(argv[1]) / (2 * kRounds);
    std::printf(
        "| archive | output bytes | ours MB/s | libarchive MB/s | ours / libarchive |\n"
        "|---|---|---|---|---|\n");
    int status = 0;
    for (int i = 2; i < argc; ++i) {
        const std::string path = argv[i];
        std::ifstream file(path, std::ios::binary);
        const Bytes archive{std::istreambuf_iterator<char>(file), {}};
        const std::string name = path.substr(path.find_last_of('/') + 1);
        auto ours = [&] { return DecodeOurs(path, archive); };
        auto theirs = [&] { return DecodeLibarchive(archive); };
        Output expected;
        try {
            expected = ours();
        } catch (const std::exception& error) {
            std::fprintf(stderr, "%s: ours failed: %s\n", name.c_str(), error.what());
            status = 1;
            continue;
        }
        if (!(expected == theirs()) || expected.size == 0) {
            std::fprintf(stderr, "%s: the two decoders disagree; skipped\n", name.c_str());
            status = 1;
            continue;
        }
        std::vector<double> our_speeds, their_speeds;
        for (int round = 0; round < kRounds; ++round) {
            our_speeds.push_back(Speed(ours, slice));
            their_speeds.push_back(Speed(theirs, slice));
        }
        const double o = Median(our_speeds), t = Median(their_speeds);
        std::printf("| %s | %llu | %.1f | %.1f | %.2f |\n", name.c_str(),
                    static_cast<unsigned long long>(expected.size), o, t, o / t);
    }
    return status;
}
