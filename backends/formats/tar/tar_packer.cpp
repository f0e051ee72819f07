#include "formats/tar/tar_packer.h"

#include <archive.h>
#include <archive_entry.h>

#include <atomic>
#include <future>
#include <memory>
#include <optional>

#include "codecs/codec.h"
#include "common/byte_pipe.h"
#include "common/file_system.h"
#include "common/replacement_file.h"
#include "common/system.h"
#include "formats/tar/tar_compression.h"

namespace quorvex6::backend::tar {

namespace {

constexpr size_t kChunk = 1 << 20;

class PipeSource final : public quorvex6::codecs::Source {
  public:
    explicit PipeSource(BytePipe& pipe) : pipe_(pipe) {}
    std::ptrdiff_t read(std::uint8_t* data, std::size_t size) override {
        return pipe_.Pull(data, size);
    }

  private:
    BytePipe& pipe_;
};

class FileSink final : public quorvex6::codecs::Sink {
  public:
    explicit FileSink(OutputFile& out) : out_(out) {}
    bool write(const std::uint8_t* data, std::size_t size) override {
        try {
            out_.Write(data, size);
            return true;
        } catch (const Failure& f) {
            error = f;
            return false;
        }
    }
    std::optional<Failure> error;

  private:
    OutputFile& out_;
};

// Where libarchive's output goes: straight to the file, or into the gzip codec on its thread.
class Output {
  public:
    Output(OutputFile& file, bool gzip) : sink_(file) {
        if (!gzip) return;
        const quorvex6::codecs::Method* method = quorvex6::codecs::find_method("gzip");
        if (method == nullptr || method->make_encoder == nullptr)
            throw Failure(result::kMethod, "no gzip encoder");
        encoder_ = method->make_encoder();
        source_ = std::make_unique<PipeSource>(pipe_);
        job_ = std::async(std::launch::async, [this] {
            auto status = encoder_->encode(*source_, sink_, UINT64_MAX);
            if (status != quorvex6::codecs::Status::ok) pipe_.Fail();
            return status;
        });
    }
    ~Output() {
        if (job_.valid()) {
            pipe_.Fail();
            job_.wait();
        }
    }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    // libarchive hands over one 10240-byte record at a time; they go on in 1 MiB pieces.
    bool Write(const void* data, size_t size) {
        const auto* bytes = static_cast<const uint8_t*>(data);
        buffer_.insert(buffer_.end(), bytes, bytes + size);
        return buffer_.size() < kChunk || Flush();
    }

    // Waits for the codec; throws what went wrong on either side.
    void Finish() {
        if (!Flush() && !sink_.error) throw Failure(result::kWriteError, "gzip failed");
        if (job_.valid()) {
            pipe_.Close();
            auto status = job_.get();
            if (sink_.error) throw *sink_.error;
            if (status != quorvex6::codecs::Status::ok)
                throw Failure(result::kWriteError, "gzip failed");
        }
        if (sink_.error) throw *sink_.error;
    }
    const std::optional<Failure>& error() const { return sink_.error; }

  private:
    bool Flush() {
        bool ok = encoder_ ? pipe_.Push(buffer_.data(), buffer_.size())
                           : sink_.write(buffer_.data(), buffer_.size());
        buffer_.clear();
        return ok;
    }

    std::vector<uint8_t> buffer_;
    FileSink sink_;
    BytePipe pipe_;
    std::unique_ptr<quorvex6::codecs::Encoder> encoder_;
    std::unique_ptr<PipeSource> source_;
    std::future<quorvex6::codecs::Status> job_;
};

la_ssize_t WriteCallback(archive*, void* client, const void* buffer, size_t length) {
    return static_cast<Output*>(client)->Write(buffer, length) ? static_cast<la_ssize_t>(length)
                                                               : -1;
}

struct ArchiveWriter {
    archive* a = archive_write_new();
    ~ArchiveWriter() { archive_write_free(a); }
    ArchiveWriter() = default;
    ArchiveWriter(const ArchiveWriter&) = delete;
    ArchiveWriter& operator=(const ArchiveWriter&) = delete;
};

struct Entry {
    archive_entry* e = archive_entry_new();
    ~Entry() { archive_entry_free(e); }
    Entry() = default;
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;
};

// Small files are read ahead in batches on every processor: opening and reading many small
// files is most of the work of a plain tar.
constexpr uint64_t kSmallFile = 1 << 20;
constexpr uint64_t kBatchBytes = 16 << 20;

struct Loaded {
    std::unique_ptr<uint8_t[]> data;  // not zero-filled: it is read over at once
    size_t capacity = 0;
    size_t size = 0;
    std::optional<Failure> failure;
};

bool IsSmall(const SourceItem& item) {
    return item.stat.kind == FileKind::kRegular && item.stat.size <= kSmallFile;
}

void ReadAhead(const std::vector<const SourceItem*>& items, size_t begin, size_t end,
               std::vector<Loaded>& out) {
    out.resize(end - begin);
    std::atomic<size_t> next{begin};
    auto work = [&] {
        for (size_t k = next++; k < end; k = next++) {
            Loaded& loaded = out[k - begin];
            loaded.failure.reset();
            try {
                InputFile file(items[k]->disk_path);
                size_t want =
                    static_cast<size_t>(items[k]->stat.size) + 1;  // one more tells "it grew"
                if (loaded.capacity < want) {
                    loaded.data.reset(new uint8_t[want]);
                    loaded.capacity = want;
                }
                loaded.size = file.Read(loaded.data.get(), want);
            } catch (const Failure& f) {
                loaded.failure = f;
            }
        }
    };
    std::vector<std::future<void>> helpers;
    for (unsigned w = 1; w < std::min(ProcessorCount(), 4u); ++w)
        helpers.push_back(std::async(std::launch::async, work));
    work();
    for (auto& h : helpers) h.get();
}

[[noreturn]] void Fail(archive* a, const Output& out, const std::string& what) {
    if (out.error()) throw *out.error();
    const char* text = archive_error_string(a);
    throw Failure(result::kWriteError, what + ": " + (text ? text : "write failed"));
}

}  // namespace

void PackTar(const std::string& archive_path, const std::vector<SourceItem>& sources,
             OutputLog& log, ResultKeeper& result, Progress& progress) {
    if (sources.empty()) throw Failure(result::kFileNotFound, "nothing to pack");
    auto existing = StatPath(archive_path);
    CompressionInfo compression = CompressionForName(archive_path);
    ReplacementFile target(archive_path);
    {
        Output output(target.file(), compression.compression == Compression::kGzip);
        ArchiveWriter writer;
        archive* a = writer.a;
        archive_write_set_format_pax_restricted(a);
        switch (compression.compression) {
            case Compression::kBzip2:
                archive_write_add_filter_bzip2(a);
                break;
            case Compression::kXz:
                archive_write_add_filter_xz(a);
                archive_write_set_filter_option(a, "xz", "threads", "2");
                break;
            case Compression::kZstd:
                archive_write_add_filter_zstd(a);
                break;
            default:
                archive_write_add_filter_none(a);
        }
        // Padding after a compressed stream is trailing garbage to bzip2, xz and zstd.
        if (compression.compression != Compression::kNone &&
            compression.compression != Compression::kGzip)
            archive_write_set_bytes_in_last_block(a, 1);
        if (archive_write_open2(a, &output, nullptr, WriteCallback, nullptr, nullptr) != ARCHIVE_OK)
            Fail(a, output, "cannot start the archive");
        std::vector<uint8_t> buffer(kChunk);
        Entry entry;  // one record, cleared for each file: making one costs more than filling it
        // `loaded`: the file's bytes when a batch read them ahead, else null (read here).
        auto write_item = [&](const SourceItem& item, const Loaded* loaded) {
            std::optional<InputFile> file;
            if (loaded && loaded->failure) {
                log.Line("skipped " + item.stored + ": " + loaded->failure->what());
                result.Note(loaded->failure->code());
                return;
            }
            if (!loaded && item.stat.kind == FileKind::kRegular) {
                try {
                    file.emplace(item.disk_path);
                } catch (const Failure& f) {
                    log.Line("skipped " + item.stored + ": " + f.what());
                    result.Note(f.code());
                    return;
                }
            }
            archive_entry_clear(entry.e);
            archive_entry_set_pathname_utf8(entry.e, item.stored.c_str());
            archive_entry_set_mtime(entry.e, item.stat.mtime, 0);
            archive_entry_set_perm(entry.e, item.stat.mode & 07777);
            switch (item.stat.kind) {
                case FileKind::kFolder:
                    archive_entry_set_filetype(entry.e, AE_IFDIR);
                    break;
                case FileKind::kLink:
                    archive_entry_set_filetype(entry.e, AE_IFLNK);
                    archive_entry_set_symlink_utf8(entry.e, item.link_target.c_str());
                    break;
                default:
                    archive_entry_set_filetype(entry.e, AE_IFREG);
                    archive_entry_set_size(entry.e, static_cast<la_int64_t>(item.stat.size));
            }
            if (archive_write_header(a, entry.e) < ARCHIVE_WARN)
                Fail(a, output, "cannot write " + item.stored);
            if (loaded) {
                if (loaded->size != item.stat.size)
                    throw Failure(result::kReadError,
                                  item.disk_path + " changed size while it was read");
                if (loaded->size > 0 && archive_write_data(a, loaded->data.get(), loaded->size) < 0)
                    Fail(a, output, "cannot write " + item.stored);
            } else if (file) {
                uint64_t done = 0;
                while (done < item.stat.size) {
                    size_t n = file->ReadAt(done, buffer.data(),
                                            static_cast<size_t>(std::min<uint64_t>(
                                                buffer.size(), item.stat.size - done)));
                    if (n == 0)
                        throw Failure(result::kReadError,
                                      item.disk_path + " became shorter while it was read");
                    if (archive_write_data(a, buffer.data(), n) < 0)
                        Fail(a, output, "cannot write " + item.stored);
                    done += n;
                }
            }
            log.Line("added " + item.stored);
        };
        std::vector<const SourceItem*> items;
        for (const SourceItem& item : sources)
            if (!existing || item.stat.device != existing->device ||
                item.stat.inode != existing->inode)
                items.push_back(&item);
        std::vector<Loaded> batch;
        size_t i = 0;
        while (i < items.size()) {
            if (!IsSmall(*items[i])) {
                progress.Entry("adding", items[i]->stored, i + 1, items.size());
                write_item(*items[i++], nullptr);
                continue;
            }
            size_t end = i, bytes = 0;
            while (end < items.size() && IsSmall(*items[end]) &&
                   bytes + items[end]->stat.size <= kBatchBytes)
                bytes += items[end++]->stat.size;
            ReadAhead(items, i, end, batch);
            for (size_t k = i; k < end; ++k) {
                progress.Entry("adding", items[k]->stored, k + 1, items.size());
                write_item(*items[k], &batch[k - i]);
            }
            i = end;
        }
        if (archive_write_close(a) != ARCHIVE_OK) Fail(a, output, "cannot finish the archive");
        output.Finish();
    }
    target.Commit();
}

}  // namespace quorvex6::backend::tar
