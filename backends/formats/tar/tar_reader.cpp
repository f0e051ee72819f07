#include "formats/tar/tar_reader.h"

#include <archive.h>
#include <archive_entry.h>

#include <cerrno>
#include <thread>
#include <vector>

#include "common/byte_pipe.h"
#include "common/code_page.h"
#include "common/file_system.h"
#include "common/result.h"
#include "formats/tar/tar_compression.h"

namespace quorvex6::backend::tar {

namespace {

constexpr size_t kBlock = 1 << 20;

std::string ErrorText(archive* a) {
    const char* text = archive_error_string(a);
    return text ? text : "unknown error";
}

std::string NameOf(archive_entry* e) {
    const char* utf8 = archive_entry_pathname_utf8(e);
    if (utf8 && IsValidUtf8(utf8)) return utf8;
    const char* raw = archive_entry_pathname(e);
    return raw ? DecodeLegacyName(raw) : std::string();
}

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
    bool write(const std::uint8_t* data, std::size_t size) override {
        return pipe_.Push(data, size);
    }

  private:
    BytePipe& pipe_;
};

}  // namespace

struct TarReader::GzipFeed {
    explicit GzipFeed(InputFile input) : file(std::move(input)), buffer(kBlock) {
        const quorvex6::codecs::Method* method = quorvex6::codecs::find_method("gzip");
        if (method == nullptr || method->make_decoder == nullptr)
            throw Failure(result::kMethod, "no gzip decoder");
        decoder = method->make_decoder();
        worker = std::thread([this] {
            FileSource source(file);
            PipeSink sink(pipe);
            quorvex6::codecs::Status status = decoder->decode(source, UINT64_MAX, 0, sink);
            if (status == quorvex6::codecs::Status::ok)
                pipe.Close();
            else
                pipe.Break();
        });
    }
    ~GzipFeed() {
        pipe.Fail();
        worker.join();
    }
    GzipFeed(const GzipFeed&) = delete;
    GzipFeed& operator=(const GzipFeed&) = delete;

    // Damage must reach libarchive as an error: a plain end of data at an entry boundary would
    // read as a complete archive and the entries after the damage would be lost unreported.
    static la_ssize_t Read(archive* a, void* client, const void** block) {
        auto* feed = static_cast<GzipFeed*>(client);
        *block = feed->buffer.data();
        std::ptrdiff_t n = feed->pipe.Pull(feed->buffer.data(), feed->buffer.size());
        if (n < 0) {
            archive_set_error(a, EILSEQ, "gzip data broken or cut short");
            return -1;
        }
        return static_cast<la_ssize_t>(n);
    }

    InputFile file;
    std::vector<uint8_t> buffer;
    BytePipe pipe;
    std::unique_ptr<quorvex6::codecs::Decoder> decoder;
    std::thread worker;
};

TarReader::TarReader(const std::string& path) : archive_(archive_read_new()) {
    if (archive_ == nullptr) throw Failure(result::kNoHeapMemory, "out of memory");
    InputFile probe;
    try {
        probe = InputFile(path);
    } catch (const Failure& f) {
        archive_read_free(archive_);
        archive_ = nullptr;
        throw Failure(result::kCannotOpenArchive, f.what());
    }
    archive_read_support_filter_all(archive_);
    archive_read_support_format_tar(archive_);
    archive_read_support_format_gnutar(archive_);
    uint8_t magic[2] = {0, 0};
    int rc;
    if (probe.ReadAt(0, magic, 2) == 2 && magic[0] == 0x1f && magic[1] == 0x8b) {
        method_ = std::string(CompressionForFilter(ARCHIVE_FILTER_GZIP).method_text);
        feed_ = std::make_unique<GzipFeed>(std::move(probe));
        rc = archive_read_open(archive_, feed_.get(), nullptr, GzipFeed::Read, nullptr);
    } else {
        rc = archive_read_open_filename(archive_, path.c_str(), kBlock);
    }
    if (rc != ARCHIVE_OK) {
        std::string why = ErrorText(archive_);
        archive_read_free(archive_);
        archive_ = nullptr;
        throw Failure(result::kNotValidArchive, "not a TAR archive: " + path + ": " + why);
    }
}

TarReader::~TarReader() {
    if (archive_) archive_read_free(archive_);
    feed_.reset();
}

bool TarReader::Next(TarEntry& out) {
    archive_entry* e = nullptr;
    int rc = archive_read_next_header(archive_, &e);
    if (rc == ARCHIVE_EOF) return false;
    if (rc < ARCHIVE_WARN) {
        int32_t code = first_ ? result::kNotValidArchive : result::kBrokenHeader;
        throw Failure(code, "broken archive: " + ErrorText(archive_));
    }
    if (first_ && !feed_)
        method_ = std::string(CompressionForFilter(archive_filter_code(archive_, 0)).method_text);
    first_ = false;
    out = TarEntry{};
    out.facts.name = NameOf(e);
    out.facts.os_type = kOsUnix;
    out.facts.mtime = archive_entry_mtime(e);
    out.facts.method = method_;
    out.mode = archive_entry_perm(e) & 07777;
    out.facts.read_only = (out.mode & 0200) == 0;
    size_ = archive_entry_size_is_set(e) && archive_entry_size(e) > 0
                ? static_cast<uint64_t>(archive_entry_size(e))
                : 0;
    if (const char* hard = archive_entry_hardlink(e)) {
        out.kind = EntryKind::kHardLink;
        out.link_target = hard;
        size_ = 0;
    } else {
        switch (archive_entry_filetype(e)) {
            case AE_IFREG:
                out.kind = EntryKind::kFile;
                break;
            case AE_IFDIR:
                out.kind = EntryKind::kFolder;
                break;
            case AE_IFLNK:
                out.kind = EntryKind::kSymlink;
                if (const char* target = archive_entry_symlink(e)) out.link_target = target;
                break;
            default:
                out.kind = EntryKind::kOther;
        }
    }
    out.facts.folder = out.kind == EntryKind::kFolder;
    if (out.facts.folder && (out.facts.name.empty() || out.facts.name.back() != '/'))
        out.facts.name += '/';
    out.facts.original_size = out.facts.compressed_size = size_;
    return true;
}

void TarReader::ReadData(quorvex6::codecs::Sink& sink) {
    uint64_t done = 0;
    std::vector<uint8_t> zeros;
    for (;;) {
        const void* block = nullptr;
        size_t size = 0;
        la_int64_t offset = 0;
        int rc = archive_read_data_block(archive_, &block, &size, &offset);
        if (rc == ARCHIVE_EOF) break;
        if (rc < ARCHIVE_WARN)
            throw Failure(result::kBrokenData, "broken data: " + ErrorText(archive_));
        if (offset < 0 || static_cast<uint64_t>(offset) < done ||
            static_cast<uint64_t>(offset) + size > size_)
            throw Failure(result::kBrokenData, "data blocks out of order");
        // Holes of sparse entries come back as gaps between blocks.
        while (done < static_cast<uint64_t>(offset)) {
            zeros.assign(std::min<uint64_t>(kBlock, static_cast<uint64_t>(offset) - done), 0);
            if (!sink.write(zeros.data(), zeros.size()))
                throw Failure(result::kWriteError, "cannot write");
            done += zeros.size();
        }
        if (size > 0 && !sink.write(static_cast<const uint8_t*>(block), size))
            throw Failure(result::kWriteError, "cannot write");
        done += size;
    }
    while (done < size_) {
        zeros.assign(std::min<uint64_t>(kBlock, size_ - done), 0);
        if (!sink.write(zeros.data(), zeros.size()))
            throw Failure(result::kWriteError, "cannot write");
        done += zeros.size();
    }
}

}  // namespace quorvex6::backend::tar
