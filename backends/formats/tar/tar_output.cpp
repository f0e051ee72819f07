#include "formats/tar/tar_output.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <future>
#include <optional>
#include <vector>

#include "codecs/method_tables.h"
#include "common/byte_pipe.h"
#include "formats/tar/tar_format.h"
#include "io/fault.h"

namespace quorvex6::backend::tar {

namespace {

constexpr size_t kPiece = 1 << 20;  // what goes to a compressor at once

class PipeSource final : public quorvex6::backend::codecs::Source {
  public:
    explicit PipeSource(BytePipe& pipe) : pipe_(pipe) {}
    std::ptrdiff_t read(std::uint8_t* data, std::size_t size) override {
        return pipe_.Pull(data, size);
    }

  private:
    BytePipe& pipe_;
};

[[noreturn]] void WriteFailed(const std::string& what) { throw io::Error(io::Fault::kWrite, what); }

}  // namespace

class TarOutput::Stream {
  public:
    virtual ~Stream() = default;
    virtual void Write(const uint8_t* data, size_t size) = 0;
    virtual void Finish() = 0;
};

namespace {

class PlainStream final : public TarOutput::Stream {
  public:
    explicit PlainStream(io::Sink& sink) : sink_(sink) {}
    void Write(const uint8_t* data, size_t size) override {
        if (!sink_.write(data, size)) WriteFailed("cannot write the archive");
    }
    void Finish() override {}

  private:
    io::Sink& sink_;
};

// One of our codecs (gzip, zstd) pulls from a pipe on its own thread while the caller reads the
// next files.
class CodecStream final : public TarOutput::Stream {
  public:
    CodecStream(io::Sink& sink, const quorvex6::backend::codecs::Method& method)
        : sink_(sink), codec_(method.id), source_(pipe_), encoder_(method.make_encoder()) {
        job_ = std::async(std::launch::async, [this] {
            auto status = encoder_->encode(source_, sink_, UINT64_MAX);
            if (status != quorvex6::backend::codecs::Status::kOk) pipe_.Fail();
            return status;
        });
    }
    ~CodecStream() override {
        if (job_.valid()) {
            pipe_.Fail();
            job_.wait();
        }
    }
    CodecStream(const CodecStream&) = delete;
    CodecStream& operator=(const CodecStream&) = delete;

    void Write(const uint8_t* data, size_t size) override {
        for (size_t done = 0; done < size; done += kPiece)
            if (!pipe_.Push(data + done, std::min(kPiece, size - done))) Stop();
    }
    void Finish() override {
        pipe_.Close();
        if (job_.get() != quorvex6::backend::codecs::Status::kOk) Stop();
    }

  private:
    [[noreturn]] void Stop() {
        if (job_.valid()) {
            pipe_.Fail();
            job_.wait();
        }
        WriteFailed(codec_ + " failed");
    }

    io::Sink& sink_;
    std::string codec_;
    BytePipe pipe_;
    PipeSource source_;
    std::unique_ptr<quorvex6::backend::codecs::Encoder> encoder_;
    std::future<quorvex6::backend::codecs::Status> job_;
};

// libarchive's "raw" format passes the tar bytes, already formed, through its filter.
class FilterStream final : public TarOutput::Stream {
  public:
    FilterStream(io::Sink& sink, Compression compression)
        : sink_(sink), archive_(archive_write_new()) {
        if (archive_ == nullptr) throw io::Error(io::Fault::kNoMemory, "out of memory");
        archive_write_set_format_raw(archive_);
        if (archive_write_add_filter(archive_, RowOf(compression).filter) != ARCHIVE_OK)
            throw io::Error(io::Fault::kUnknownMethod, "this compression cannot be written here");
        if (compression == Compression::kXz)
            archive_write_set_filter_option(archive_, "xz", "threads", "2");
        archive_write_set_bytes_in_last_block(archive_, 1);
        if (archive_write_open2(archive_, &sink_, nullptr, Callback, nullptr, nullptr) !=
            ARCHIVE_OK)
            Fail("cannot start the archive");
        archive_entry* entry = archive_entry_new();
        archive_entry_set_filetype(entry, AE_IFREG);
        int rc = archive_write_header(archive_, entry);
        archive_entry_free(entry);
        if (rc < ARCHIVE_WARN) Fail("cannot start the archive");
    }
    ~FilterStream() override { archive_write_free(archive_); }
    FilterStream(const FilterStream&) = delete;
    FilterStream& operator=(const FilterStream&) = delete;

    void Write(const uint8_t* data, size_t size) override {
        for (size_t done = 0; done < size;) {
            la_ssize_t n = archive_write_data(archive_, data + done, std::min(kPiece, size - done));
            if (n <= 0) Fail("cannot write");
            done += static_cast<size_t>(n);
        }
    }
    void Finish() override {
        if (archive_write_close(archive_) != ARCHIVE_OK) Fail("cannot finish the archive");
    }

  private:
    static la_ssize_t Callback(archive*, void* client, const void* buffer, size_t length) {
        return static_cast<io::Sink*>(client)->write(static_cast<const uint8_t*>(buffer), length)
                   ? static_cast<la_ssize_t>(length)
                   : -1;
    }
    [[noreturn]] void Fail(const std::string& what) {
        const char* text = archive_error_string(archive_);
        WriteFailed(what + ": " + (text ? text : "write failed"));
    }

    io::Sink& sink_;
    archive* archive_;
};

}  // namespace

// Our codec where the table has one that encodes, else libarchive's filter.
TarOutput::TarOutput(io::Sink& sink, Compression compression)
    : pad_records_(compression == Compression::kNone || compression == Compression::kGzip) {
    const CompressionRow& row = RowOf(compression);
    const quorvex6::backend::codecs::Method* method =
        row.codec.empty() ? nullptr
                          : quorvex6::backend::codecs::FindMethod(
                                quorvex6::backend::codecs::StreamMethods(), row.codec);
    if (compression == Compression::kNone)
        stream_ = std::make_unique<PlainStream>(sink);
    else if (method != nullptr && method->make_encoder != nullptr)
        stream_ = std::make_unique<CodecStream>(sink, *method);
    else
        stream_ = std::make_unique<FilterStream>(sink, compression);
}

TarOutput::~TarOutput() = default;

void TarOutput::Write(const void* data, size_t size) {
    stream_->Write(static_cast<const uint8_t*>(data), size);
    written_ += size;
}

void TarOutput::Finish() {
    size_t end = 2 * kBlock;
    if (pad_records_) end += static_cast<size_t>((kRecord - (written_ + end) % kRecord) % kRecord);
    std::vector<uint8_t> zeros(end, 0);
    Write(zeros.data(), zeros.size());
    stream_->Finish();
}

}  // namespace quorvex6::backend::tar
