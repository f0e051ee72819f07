// One file through the ISH codec, for timing it against other programs:
//   bench_ish_file encode jis7|jis8|shift_jis|non-kana IN OUT
//   bench_ish_file decode IN OUT        (the text's first file)
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "codecs/ish/ish.h"

namespace {

using namespace quorvex6::backend::codecs;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

class FileSource final : public Source {
  public:
    explicit FileSource(std::FILE* f) : f_(f) {}
    std::ptrdiff_t read(std::uint8_t* data, std::size_t size) override {
        std::size_t n = std::fread(data, 1, size, f_);
        return n == 0 && std::ferror(f_) != 0 ? -1 : static_cast<std::ptrdiff_t>(n);
    }

  private:
    std::FILE* f_;
};

class FileSink final : public Sink {
  public:
    explicit FileSink(std::FILE* f) : f_(f) {}
    bool write(const std::uint8_t* data, std::size_t size) override {
        return std::fwrite(data, 1, size, f_) == size;
    }

  private:
    std::FILE* f_;
};

int fail(const char* what) {
    std::fprintf(stderr, "bench_ish_file: %s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return fail("usage: encode VARIANT IN OUT | decode IN OUT");
    std::string_view command = argv[1];
    bool encoding = command == "encode";
    if (encoding && argc != 5) return fail("encode needs VARIANT IN OUT");
    File in(std::fopen(argv[encoding ? 3 : 2], "rb"));
    File out(std::fopen(argv[encoding ? 4 : 3], "wb"));
    if (!in || !out) return fail("cannot open the files");
    FileSource source(in.get());
    FileSink sink(out.get());
    if (encoding) {
        ish::FileInfo info;
        info.name = argv[3];
        info.name = info.name.substr(info.name.find_last_of('/') + 1);
        bool known = false;
        for (ish::Variant v : ish::kVariants) {
            if (ish::LayoutOf(v).name == argv[2]) {
                info.variant = v;
                known = true;
            }
        }
        if (!known) return fail("unknown variant");
        if (std::fseek(in.get(), 0, SEEK_END) != 0) return fail("cannot size the input");
        long size = std::ftell(in.get());
        if (size < 0 || size > 0xFFFFFFFFL) return fail("the input is over 4 GiB");
        std::rewind(in.get());
        info.size = static_cast<std::uint32_t>(size);
        if (ish::MakeEncoder(info)->encode(source, sink, UINT64_MAX) != Status::kOk)
            return fail("encoding failed");
    } else {
        ish::Reader reader(source);
        if (!reader.next()) return fail("no file in the text");
        if (reader.decode(sink) != Status::kOk) return fail("decoding failed");
    }
    return std::fflush(out.get()) == 0 ? 0 : fail("cannot write");
}
