#include "formats/tar/tar_output.h"

#include <archive.h>
#include <archive_entry.h>
#include <zstd.h>

#include <algorithm>
#include <future>
#include <optional>
#include <vector>

#include "codecs/codec.h"
#include "common/byte_pipe.h"
#include "common/file_sink.h"
#include "common/result.h"

namespace quorvex6::backend::tar {

namespace {

constexpr size_t kRecord = 10240;
constexpr size_t kPiece = 1 << 20;  // what goes to a compressor at once

class PipeSource final : public quorvex6::codecs::Source {
  public:
    explicit PipeSource(BytePipe& pipe) : pipe_(pipe) {}
    std::ptrdiff_t read(std::uint8_t* data, std::size_t size) override { return pipe_.Pull(data, size); }

  private:
    BytePipe& pipe_;
};

}  // namespace

class TarOutput::Stream {
  public:
    virtual ~Stream() = default;
    virtual void Write(const uint8_t* data, size_t size) = 0;
    virtual void Finish() = 0;
};

namespace {

class FileStream final : public TarOutput::Stream {
  public:
    explicit FileStream(OutputFile& file) : file_(file) {}
    void Write(const uint8_t* data, size_t size) override { file_.Write(data, size); }
    void Finish() override {}

  private:
    OutputFile& file_;
};

// The codec pulls from a pipe on its own thread while the caller reads the next files.
class GzipStream final : public TarOutput::Stream {
  public:
    explicit GzipStream(OutputFile& file) : sink_(file), source_(pipe_) {
        const quorvex6::codecs::Method* method = quorvex6::codecs::find_method("gzip");
        if (method == nullptr || method->make_encoder == nullptr) throw Failure(result::kMethod, "no gzip encoder");
        encoder_ = method->make_encoder();
        job_ = std::async(std::launch::async, [this] {
            auto status = encoder_->encode(source_, sink_, UINT64_MAX);
            if (status != quorvex6::codecs::Status::ok) pipe_.Fail();
            return status;
        });
    }
    ~GzipStream() override {
        if (job_.valid()) {
            pipe_.Fail();
            job_.wait();
        }
    }
    GzipStream(const GzipStream&) = delete;
    GzipStream& operator=(const GzipStream&) = delete;

    void Write(const uint8_t* data, size_t size) override {
        for (size_t done = 0; done < size; done += kPiece)
            if (!pipe_.Push(data + done, std::min(kPiece, size - done))) Stop();
    }
    void Finish() override {
        pipe_.Close();
        if (job_.get() != quorvex6::codecs::Status::ok) Stop();
        sink_.Rethrow();
    }

  private:
    [[noreturn]] void Stop() {
        if (job_.valid()) {
            pipe_.Fail();
            job_.wait();
        }
        sink_.Rethrow();
        throw Failure(result::kWriteError, "gzip failed");
    }

    FileSink<OutputFile> sink_;
    BytePipe pipe_;
    PipeSource source_;
    std::unique_ptr<quorvex6::codecs::Encoder> encoder_;
    std::future<quorvex6::codecs::Status> job_;
};

// zstd through its own library, as libarchive's filter cannot write the content checksum that
// the zstd program and GNU tar write (without it, damage in raw blocks goes unseen).
class ZstdStream final : public TarOutput::Stream {
  public:
    explicit ZstdStream(OutputFile& file) : sink_(file), context_(ZSTD_createCCtx()), out_(ZSTD_CStreamOutSize()) {
        if (context_ == nullptr) throw Failure(result::kNoHeapMemory, "out of memory");
        ZSTD_CCtx_setParameter(context_, ZSTD_c_compressionLevel, 3);
        ZSTD_CCtx_setParameter(context_, ZSTD_c_checksumFlag, 1);
        ZSTD_CCtx_setParameter(context_, ZSTD_c_nbWorkers, 2);  // refused by a library built without threads
    }
    ~ZstdStream() override { ZSTD_freeCCtx(context_); }
    ZstdStream(const ZstdStream&) = delete;
    ZstdStream& operator=(const ZstdStream&) = delete;

    void Write(const uint8_t* data, size_t size) override {
        ZSTD_inBuffer in{data, size, 0};
        while (in.pos < in.size) Compress(in, ZSTD_e_continue);
    }
    void Finish() override {
        ZSTD_inBuffer in{nullptr, 0, 0};
        while (Compress(in, ZSTD_e_end) != 0) {
        }
    }

  private:
    // What zstd has still to flush (0: all of it, for ZSTD_e_end).
    size_t Compress(ZSTD_inBuffer& in, ZSTD_EndDirective mode) {
        ZSTD_outBuffer out{out_.data(), out_.size(), 0};
        size_t left = ZSTD_compressStream2(context_, &out, &in, mode);
        if (ZSTD_isError(left)) throw Failure(result::kWriteError, std::string("zstd: ") + ZSTD_getErrorName(left));
        if (out.pos > 0 && !sink_.write(out_.data(), out.pos)) sink_.Rethrow();
        return left;
    }

    FileSink<OutputFile> sink_;
    ZSTD_CCtx* context_;
    std::vector<uint8_t> out_;
};

// libarchive's "raw" format passes the tar bytes, already formed, through its filter.
class FilterStream final : public TarOutput::Stream {
  public:
    FilterStream(OutputFile& file, Compression compression) : sink_(file), archive_(archive_write_new()) {
        if (archive_ == nullptr) throw Failure(result::kNoHeapMemory, "out of memory");
        archive_write_set_format_raw(archive_);
        switch (compression) {
            case Compression::kBzip2:
                archive_write_add_filter_bzip2(archive_);
                break;
            default:
                archive_write_add_filter_xz(archive_);
                archive_write_set_filter_option(archive_, "xz", "threads", "2");
        }
        archive_write_set_bytes_in_last_block(archive_, 1);
        if (archive_write_open2(archive_, &sink_, nullptr, Callback, nullptr, nullptr) != ARCHIVE_OK)
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
        return static_cast<FileSink<OutputFile>*>(client)->write(static_cast<const uint8_t*>(buffer), length)
                   ? static_cast<la_ssize_t>(length)
                   : -1;
    }
    [[noreturn]] void Fail(const std::string& what) {
        sink_.Rethrow();
        const char* text = archive_error_string(archive_);
        throw Failure(result::kWriteError, what + ": " + (text ? text : "write failed"));
    }

    FileSink<OutputFile> sink_;
    archive* archive_;
};

}  // namespace

TarOutput::TarOutput(OutputFile& file, Compression compression) {
    switch (compression) {
        case Compression::kNone:
            stream_ = std::make_unique<FileStream>(file);
            break;
        case Compression::kGzip:
            stream_ = std::make_unique<GzipStream>(file);
            break;
        case Compression::kZstd:
            stream_ = std::make_unique<ZstdStream>(file);
            pad_records_ = false;
            break;
        default:
            stream_ = std::make_unique<FilterStream>(file, compression);
            pad_records_ = false;
    }
}

TarOutput::~TarOutput() = default;

void TarOutput::Write(const void* data, size_t size) {
    stream_->Write(static_cast<const uint8_t*>(data), size);
    written_ += size;
}

void TarOutput::Finish() {
    size_t end = 2 * 512;
    if (pad_records_) end += static_cast<size_t>((kRecord - (written_ + end) % kRecord) % kRecord);
    std::vector<uint8_t> zeros(end, 0);
    Write(zeros.data(), zeros.size());
    stream_->Finish();
}

}  // namespace quorvex6::backend::tar
