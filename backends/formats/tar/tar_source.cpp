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

// One compressed stream, decoded into a Sink until its end; false when it is damaged or cut.
class StreamDecode {
  public:
    virtual ~StreamDecode() = default;
    virtual bool Run(quorvex6::codecs::Sink& out) = 0;
};

class GzipDecode final : public StreamDecode {
  public:
    explicit GzipDecode(InputFile input) : file_(std::move(input)) {
        const quorvex6::codecs::Method* method = quorvex6::codecs::find_method("gzip");
        if (method == nullptr || method->make_decoder == nullptr) throw Failure(result::kMethod, "no gzip decoder");
        decoder_ = method->make_decoder();
    }
    bool Run(quorvex6::codecs::Sink& out) override {
        FileSource source(file_);
        return decoder_->decode(source, UINT64_MAX, 0, out) == quorvex6::codecs::Status::ok;
    }

  private:
    InputFile file_;
    std::unique_ptr<quorvex6::codecs::Decoder> decoder_;
};

// A plain archive, read ahead as it is.
class PlainRead final : public StreamDecode {
  public:
    explicit PlainRead(InputFile input) : file_(std::move(input)) {}
    bool Run(quorvex6::codecs::Sink& out) override {
        constexpr size_t kPiece = 256 << 10;
        for (uint64_t offset = 0;;) {
            uint8_t* room = out.room(kPiece);
            size_t n = 0;
            try {
                n = file_.ReadAt(offset, room, kPiece);
            } catch (const Failure&) {
                return false;
            }
            if (n == 0) return true;
            if (!out.commit(n)) return false;
            offset += n;
        }
    }

  private:
    InputFile file_;
};

// Other compressions: libarchive's "raw" format hands over the decoded bytes as they are.
class FilterDecode final : public StreamDecode {
  public:
    FilterDecode(const std::string& path, std::string& method) : archive_(archive_read_new()) {
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
    ~FilterDecode() override { archive_read_free(archive_); }
    FilterDecode(const FilterDecode&) = delete;
    FilterDecode& operator=(const FilterDecode&) = delete;
    // libarchive hands over what one filter step made; pieces are filled up before they go.
    bool Run(quorvex6::codecs::Sink& out) override {
        constexpr size_t kPiece = 256 << 10;
        for (;;) {
            uint8_t* room = out.room(kPiece);
            size_t filled = 0;
            while (filled < kPiece) {
                la_ssize_t n = archive_read_data(archive_, room + filled, kPiece - filled);
                if (n < 0) return false;
                if (n == 0) break;
                filled += static_cast<size_t>(n);
            }
            if (filled > 0 && !out.commit(filled)) return false;
            if (filled < kPiece) return true;
        }
    }

  private:
    archive* archive_;
};

// Decodes on a thread of its own, so that decoding overlaps the reader's work and the thread's
// idle time can be lent to it. Damage must reach the reader as an error: a plain end of data at
// an entry boundary would read as a complete archive and the entries after the damage would be
// lost unreported.
class DecodedBytes final : public ByteSource {
  public:
    // `checked`: the stream has checks of its own, to be read to its end.
    DecodedBytes(std::unique_ptr<StreamDecode> decode, bool checked) : decode_(std::move(decode)), checked_(checked) {
        worker_ = std::thread([this] {
            PipeSink sink(pipe_);
            if (decode_->Run(sink))
                pipe_.Close();
            else
                pipe_.Break();
            // The reader still has up to a pipe's worth to go: keep lending it this thread.
            pipe_.WaitUntilDrained();
        });
    }
    ~DecodedBytes() override {
        pipe_.Fail();
        worker_.join();
    }
    DecodedBytes(const DecodedBytes&) = delete;
    DecodedBytes& operator=(const DecodedBytes&) = delete;
    std::ptrdiff_t Read(uint8_t* data, size_t size) override { return pipe_.Pull(data, size); }
    bool ShareIdleTime(IdleWork* work) override {
        pipe_.ShareIdleTime(work);
        return true;
    }
    bool EndsSound() override {
        if (!checked_) return true;
        std::vector<uint8_t> rest(64 << 10);
        for (;;) {
            std::ptrdiff_t n = pipe_.Pull(rest.data(), rest.size());
            if (n <= 0) return n == 0;
        }
    }

  private:
    std::unique_ptr<StreamDecode> decode_;
    bool checked_;
    BytePipe pipe_;
    std::thread worker_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenTarBytes(const std::string& path, std::string& method, bool read_ahead) {
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
        return std::make_unique<DecodedBytes>(std::make_unique<GzipDecode>(std::move(file)), true);
    }
    // A plain archive starts with a whole header or end block. Anything shorter may still be
    // compressed (a small archive packs into fewer than 512 bytes); libarchive tells, and says
    // when it is no archive at all.
    if (n == sizeof first && (IsZeroBlock(first) || ParseHeader(first))) {
        method = std::string(CompressionForName("").method_text);
        if (read_ahead) return std::make_unique<DecodedBytes>(std::make_unique<PlainRead>(std::move(file)), false);
        return std::make_unique<FileBytes>(std::move(file));
    }
    return std::make_unique<DecodedBytes>(std::make_unique<FilterDecode>(path, method), true);
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
