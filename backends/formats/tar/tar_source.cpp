#include "formats/tar/tar_source.h"

#include <archive.h>
#include <archive_entry.h>

#include <cstring>
#include <thread>

#include "codecs/codec.h"
#include "common/byte_pipe.h"
#include "common/file_system.h"
#include "common/result.h"
#include "formats/tar/tar_compression.h"
#include "formats/tar/tar_parse.h"

namespace quorvex6::backend::tar {

namespace {

class FileBytes final : public ByteSource {
  public:
    explicit FileBytes(InputFile file) : file_(std::move(file)), size_(file_.Size()) {}
    std::ptrdiff_t Read(uint8_t* data, size_t size) override {
        try {
            size_t n = file_.ReadAt(offset_, data, size);
            offset_ += n;
            return static_cast<std::ptrdiff_t>(n);
        } catch (const Failure&) {
            return -1;
        }
    }
    Skipped Skip(uint64_t n) override {
        if (n > size_ - std::min(offset_, size_)) return Skipped::kPastEnd;
        offset_ += n;
        return Skipped::kDone;
    }

  private:
    InputFile file_;
    uint64_t size_;
    uint64_t offset_ = 0;
};

class FileSource final : public quorvex6::codecs::Source {
  public:
    explicit FileSource(InputFile& file) : file_(file) {}
    std::ptrdiff_t read(std::uint8_t* data, std::size_t size) override {
        try {
            return static_cast<std::ptrdiff_t>(file_.Read(data, size));
        } catch (const Failure&) {
            return -1;
        }
    }

  private:
    InputFile& file_;
};

class PipeSink final : public quorvex6::codecs::Sink {
  public:
    explicit PipeSink(BytePipe& pipe) : pipe_(pipe) {}
    bool write(const std::uint8_t* data, std::size_t size) override { return pipe_.Push(data, size); }
    std::uint8_t* room(std::size_t size) override { return pipe_.Room(size); }
    bool commit(std::size_t size) override { return pipe_.Commit(size); }

  private:
    BytePipe& pipe_;
};

// Damage must reach the reader as an error: a plain end of data at an entry boundary would
// read as a complete archive and the entries after the damage would be lost unreported.
class GzipBytes final : public ByteSource {
  public:
    explicit GzipBytes(InputFile input) : file_(std::move(input)) {
        const quorvex6::codecs::Method* method = quorvex6::codecs::find_method("gzip");
        if (method == nullptr || method->make_decoder == nullptr) throw Failure(result::kMethod, "no gzip decoder");
        decoder_ = method->make_decoder();
        worker_ = std::thread([this] {
            FileSource source(file_);
            PipeSink sink(pipe_);
            if (decoder_->decode(source, UINT64_MAX, 0, sink) == quorvex6::codecs::Status::ok)
                pipe_.Close();
            else
                pipe_.Break();
            // The reader still has up to a pipe's worth to go: keep lending it this thread.
            pipe_.WaitUntilDrained();
        });
    }
    ~GzipBytes() override {
        pipe_.Fail();
        worker_.join();
    }
    GzipBytes(const GzipBytes&) = delete;
    GzipBytes& operator=(const GzipBytes&) = delete;
    std::ptrdiff_t Read(uint8_t* data, size_t size) override { return pipe_.Pull(data, size); }
    bool ShareIdleTime(IdleWork* work) override {
        pipe_.ShareIdleTime(work);
        return true;
    }

  private:
    InputFile file_;
    BytePipe pipe_;
    std::unique_ptr<quorvex6::codecs::Decoder> decoder_;
    std::thread worker_;
};

// Other compressions: libarchive's "raw" format hands over the decoded bytes as they are.
class FilterBytes final : public ByteSource {
  public:
    FilterBytes(const std::string& path, std::string& method) : archive_(archive_read_new()) {
        if (archive_ == nullptr) throw Failure(result::kNoHeapMemory, "out of memory");
        archive_read_support_filter_all(archive_);
        archive_read_support_format_raw(archive_);
        archive_entry* entry = nullptr;
        if (archive_read_open_filename(archive_, path.c_str(), 1 << 20) != ARCHIVE_OK ||
            archive_read_next_header(archive_, &entry) != ARCHIVE_OK || archive_filter_count(archive_) < 2) {
            std::string why = archive_error_string(archive_) ? archive_error_string(archive_) : "no known compression";
            archive_read_free(archive_);
            throw Failure(result::kNotValidArchive, "not a TAR archive: " + path + ": " + why);
        }
        method = std::string(CompressionForFilter(archive_filter_code(archive_, 0)).method_text);
    }
    ~FilterBytes() override { archive_read_free(archive_); }
    FilterBytes(const FilterBytes&) = delete;
    FilterBytes& operator=(const FilterBytes&) = delete;
    std::ptrdiff_t Read(uint8_t* data, size_t size) override {
        la_ssize_t n = archive_read_data(archive_, data, size);
        return n < 0 ? -1 : static_cast<std::ptrdiff_t>(n);
    }

  private:
    archive* archive_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenTarBytes(const std::string& path, std::string& method) {
    InputFile file;
    try {
        file = InputFile(path);
    } catch (const Failure& f) {
        throw Failure(result::kCannotOpenArchive, f.what());
    }
    uint8_t first[512];
    size_t n = file.ReadAt(0, first, sizeof first);
    if (n >= 2 && first[0] == 0x1f && first[1] == 0x8b) {
        method = std::string(CompressionForFilter(ARCHIVE_FILTER_GZIP).method_text);
        return std::make_unique<GzipBytes>(std::move(file));
    }
    // A plain archive starts with a whole header or end block. Anything shorter may still be
    // compressed (a small archive packs into fewer than 512 bytes); libarchive tells, and says
    // when it is no archive at all.
    if (n == sizeof first && (IsZeroBlock(first) || ParseHeader(first))) {
        method = std::string(CompressionForName("").method_text);
        return std::make_unique<FileBytes>(std::move(file));
    }
    return std::make_unique<FilterBytes>(path, method);
}

TarStream::TarStream(std::unique_ptr<ByteSource> source) : source_(std::move(source)), buffer_(kBuffer) {}

std::ptrdiff_t TarStream::Fill(size_t n) {
    n = std::min(n, kBuffer);
    if (ready() >= n) return static_cast<std::ptrdiff_t>(n);
    if (begin_ + n > kBuffer) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, ready());
        end_ -= begin_;
        begin_ = 0;
    }
    while (ready() < n) {
        std::ptrdiff_t got = source_->Read(buffer_.data() + end_, kBuffer - end_);
        if (got < 0) return -1;
        if (got == 0) break;
        end_ += static_cast<size_t>(got);
    }
    return static_cast<std::ptrdiff_t>(std::min(n, ready()));
}

bool TarStream::Skip(uint64_t n) {
    size_t here = static_cast<size_t>(std::min<uint64_t>(n, ready()));
    Consume(here);
    n -= here;
    if (n == 0) return true;
    switch (source_->Skip(n)) {
        case ByteSource::Skipped::kDone: return true;
        case ByteSource::Skipped::kPastEnd: return false;
        case ByteSource::Skipped::kCannotSkip: break;
    }
    while (n > 0) {
        std::ptrdiff_t got = Fill(static_cast<size_t>(std::min<uint64_t>(n, kBuffer)));
        if (got <= 0) return false;
        Consume(static_cast<size_t>(got));
        n -= static_cast<uint64_t>(got);
    }
    return true;
}

}  // namespace quorvex6::backend::tar
