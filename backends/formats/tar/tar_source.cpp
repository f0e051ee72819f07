#include "formats/tar/tar_source.h"

#include <archive.h>
#include <archive_entry.h>

#include <cstring>
#include <thread>

#include "codecs/method_tables.h"
#include "common/byte_pipe.h"
#include "formats/tar/tar_compression.h"
#include "formats/tar/tar_header.h"
#include "formats/tar/tar_parse.h"
#include "io/fault.h"

namespace quorvex6::backend::tar {

namespace {

class FileBytes final : public ByteSource {
  public:
    explicit FileBytes(io::RandomInput& input) : input_(input), size_(input.size()) {}
    std::ptrdiff_t Read(uint8_t* data, size_t size) override {
        std::ptrdiff_t n = input_.read_at(offset_, data, size);
        if (n < 0) return -1;
        offset_ += static_cast<uint64_t>(n);
        return n;
    }
    Skipped Skip(uint64_t n) override {
        if (n > size_ - std::min(offset_, size_)) return Skipped::kPastEnd;
        offset_ += n;
        return Skipped::kDone;
    }

  private:
    io::RandomInput& input_;
    uint64_t size_;
    uint64_t offset_ = 0;
};

class InputSource final : public quorvex6::backend::codecs::Source {
  public:
    explicit InputSource(io::RandomInput& input) : input_(input) {}
    std::ptrdiff_t read(std::uint8_t* data, std::size_t size) override {
        std::ptrdiff_t n = input_.read_at(offset_, data, size);
        if (n > 0) offset_ += static_cast<uint64_t>(n);
        return n;
    }

  private:
    io::RandomInput& input_;
    uint64_t offset_ = 0;
};

class PipeSink final : public quorvex6::backend::codecs::Sink {
  public:
    explicit PipeSink(BytePipe& pipe) : pipe_(pipe) {}
    bool write(const std::uint8_t* data, std::size_t size) override {
        return pipe_.Push(data, size);
    }
    std::uint8_t* room(std::size_t size) override { return pipe_.Room(size); }
    bool commit(std::size_t size) override { return pipe_.Commit(size); }

  private:
    BytePipe& pipe_;
};

// One compressed stream, decoded into a Sink until its end; false when it is damaged or cut.
class StreamDecode {
  public:
    virtual ~StreamDecode() = default;
    virtual bool Run(quorvex6::backend::codecs::Sink& out) = 0;
};

// A stream one of our codecs decodes.
class CodecDecode final : public StreamDecode {
  public:
    CodecDecode(io::RandomInput& input, std::string_view codec) : input_(input) {
        const quorvex6::backend::codecs::Method* method = quorvex6::backend::codecs::FindMethod(
            quorvex6::backend::codecs::StreamMethods(), codec);
        if (method == nullptr || method->make_decoder == nullptr)
            throw io::Error(io::Fault::kUnknownMethod, "no " + std::string(codec) + " decoder");
        decoder_ = method->make_decoder();
    }
    bool Run(quorvex6::backend::codecs::Sink& out) override {
        InputSource source(input_);
        return decoder_->decode(source, UINT64_MAX, 0, out) ==
               quorvex6::backend::codecs::Status::kOk;
    }

  private:
    io::RandomInput& input_;
    std::unique_ptr<quorvex6::backend::codecs::Decoder> decoder_;
};

// Other compressions: libarchive's "raw" format hands over the decoded bytes as they are.
class FilterDecode final : public StreamDecode {
  public:
    FilterDecode(io::RandomInput& input, std::string& method)
        : input_(input), archive_(archive_read_new()) {
        if (archive_ == nullptr) throw io::Error(io::Fault::kNoMemory, "out of memory");
        archive_read_support_filter_all(archive_);
        archive_read_support_format_raw(archive_);
        archive_entry* entry = nullptr;
        if (archive_read_open2(archive_, this, nullptr, ReadCallback, nullptr, nullptr) !=
                ARCHIVE_OK ||
            archive_read_next_header(archive_, &entry) != ARCHIVE_OK ||
            archive_filter_count(archive_) < 2) {
            std::string why = archive_error_string(archive_) ? archive_error_string(archive_)
                                                             : "no known compression";
            archive_read_free(archive_);
            throw io::Error(io::Fault::kNotArchive, "not a TAR archive: " + why);
        }
        method = std::string(CompressionForFilter(archive_filter_code(archive_, 0)).method);
    }
    ~FilterDecode() override { archive_read_free(archive_); }
    FilterDecode(const FilterDecode&) = delete;
    FilterDecode& operator=(const FilterDecode&) = delete;
    // libarchive hands over what one filter step made; pieces are filled up before they go.
    bool Run(quorvex6::backend::codecs::Sink& out) override {
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
    static la_ssize_t ReadCallback(archive*, void* client, const void** buffer) {
        auto& self = *static_cast<FilterDecode*>(client);
        std::ptrdiff_t n =
            self.input_.read_at(self.offset_, self.buffer_.data(), self.buffer_.size());
        if (n < 0) return -1;
        self.offset_ += static_cast<uint64_t>(n);
        *buffer = self.buffer_.data();
        return n;
    }

    io::RandomInput& input_;
    uint64_t offset_ = 0;
    std::vector<uint8_t> buffer_ = std::vector<uint8_t>(1 << 20);
    archive* archive_;
};

// Decodes on a thread of its own, so that decoding overlaps the reader's work and the thread's
// idle time can be lent to it. Damage must reach the reader as an error: a plain end of data at
// an entry boundary would read as a complete archive and the entries after the damage would be
// lost unreported.
class DecodedBytes final : public ByteSource {
  public:
    explicit DecodedBytes(std::unique_ptr<StreamDecode> decode) : decode_(std::move(decode)) {
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
        std::vector<uint8_t> rest(64 << 10);
        for (;;) {
            std::ptrdiff_t n = pipe_.Pull(rest.data(), rest.size());
            if (n <= 0) return n == 0;
        }
    }

  private:
    std::unique_ptr<StreamDecode> decode_;
    BytePipe pipe_;
    std::thread worker_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenTarBytes(io::RandomInput& input, std::string& method) {
    Block first;
    std::ptrdiff_t n = input.read_at(0, first.data(), first.size());
    if (n < 0) throw io::Error(io::Fault::kRead, "cannot read the archive");
    std::span<const uint8_t> head(first.data(), static_cast<size_t>(n));
    if (const CompressionRow* row = CompressionForContent(head);
        row != nullptr && !row->codec.empty()) {
        method = std::string(row->method);
        return std::make_unique<DecodedBytes>(std::make_unique<CodecDecode>(input, row->codec));
    }
    // A plain archive starts with a whole header or end block. Anything shorter may still be
    // compressed (a small archive packs into fewer than 512 bytes); libarchive tells, and says
    // when it is no archive at all.
    if (head.size() == kBlock && (IsZeroBlock(first) || ParseHeader(first))) {
        method = std::string(kPlainCompression.method);
        return std::make_unique<FileBytes>(input);
    }
    return std::make_unique<DecodedBytes>(std::make_unique<FilterDecode>(input, method));
}

TarStream::TarStream(std::unique_ptr<ByteSource> source)
    : source_(std::move(source)), buffer_(kBuffer) {}

std::ptrdiff_t TarStream::Fill(size_t n) {
    n = std::min(n, kBuffer);
    if (n > kBlock) passing_over_ = false;
    if (ready() >= n) return static_cast<std::ptrdiff_t>(n);
    if (begin_ + n > kBuffer) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, ready());
        end_ -= begin_;
        begin_ = 0;
    }
    while (ready() < n) {
        std::ptrdiff_t got =
            source_->Read(buffer_.data() + end_, passing_over_ ? n - ready() : kBuffer - end_);
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
        case ByteSource::Skipped::kDone:
            passing_over_ = n >= kBlock;
            return true;
        case ByteSource::Skipped::kPastEnd:
            return false;
        case ByteSource::Skipped::kCannotSkip:
            break;
    }
    while (n > 0) {
        std::ptrdiff_t got = Fill(static_cast<size_t>(std::min<uint64_t>(n, kBuffer)));
        if (got <= 0) return false;
        Consume(static_cast<size_t>(got));
        n -= static_cast<uint64_t>(got);
    }
    return true;
}

std::optional<uint64_t> Bid(io::RandomInput& input) {
    try {
        std::string method;
        TarStream stream(OpenTarBytes(input, method));
        if (stream.Fill(kBlock) != static_cast<std::ptrdiff_t>(kBlock)) return std::nullopt;
        return Bid(std::span<const uint8_t>(stream.data(), kBlock));
    } catch (const io::Error&) {
        return std::nullopt;
    }
}

}  // namespace quorvex6::backend::tar
