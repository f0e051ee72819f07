#include "zip32j/zip_pack_job.h"

#include <algorithm>
#include <atomic>
#include <future>
#include <map>
#include <memory>
#include <optional>

#include "codecs/codec.h"
#include "common/archive_input.h"
#include "common/file_sink.h"
#include "common/replacement_file.h"
#include "common/system.h"
#include "formats/zip/zip_format.h"
#include "formats/zip/zip_methods.h"
#include "formats/zip/zip_reader.h"
#include "formats/zip/zip_writer.h"
#include "io/crc32.h"
#include "io/memory.h"

namespace quorvex6::backend::zip32j {

namespace {

using namespace quorvex6::backend::zip;

using quorvex6::codecs::Status;

constexpr size_t kSample = 1 << 20;
// Files up to this size are read whole and compressed in batches; larger ones stream.
constexpr uint64_t kSmallFile = 4 << 20;

// Reads a file from disk for the codec, summing its check value on the way.
class FileSource final : public quorvex6::codecs::Source {
public:
    explicit FileSource(InputFile& file) : file_(file) {}
    std::ptrdiff_t read(std::uint8_t* data, std::size_t size) override {
        size_t n = file_.Read(data, size);
        crc_ = io::Crc32(crc_, data, n);
        bytes_ += n;
        return static_cast<std::ptrdiff_t>(n);
    }
    uint32_t crc() const { return crc_; }
    uint64_t bytes() const { return bytes_; }

private:
    InputFile& file_;
    uint32_t crc_ = 0;
    uint64_t bytes_ = 0;
};

// The first `size` bytes of a file, as stat gave its size; one that became shorter meanwhile
// fails (0x801A) rather than be stored cut.
class FileStart final : public io::Source {
public:
    FileStart(const InputFile& file, uint64_t size, const std::string& path) : file_(file), size_(size), path_(path) {}
    std::ptrdiff_t read(std::uint8_t* data, std::size_t size) override {
        if (done_ == size_) return 0;
        size_t n = file_.ReadAt(done_, data, static_cast<size_t>(std::min<uint64_t>(size, size_ - done_)));
        if (n == 0) throw Failure(result::kReadError, path_ + " became shorter while it was read");
        done_ += n;
        return static_cast<std::ptrdiff_t>(n);
    }

private:
    const InputFile& file_;
    uint64_t size_;
    uint64_t done_ = 0;
    const std::string& path_;
};

std::unique_ptr<quorvex6::codecs::Encoder> MakeEncoder(int level) { return zip::MakeEncoder(kMethodDeflate, level); }

WriteEntry MetaFor(const SourceItem& item) {
    WriteEntry e;
    e.name = item.stored;
    e.mtime = item.stat.mtime;
    uint32_t perms = item.stat.mode & 07777;
    switch (item.stat.kind) {
        case FileKind::kFolder:
            e.unix_mode = kUnixFolder | perms;
            e.dos_attributes = kDosFolder;
            break;
        case FileKind::kLink: e.unix_mode = kUnixLink | 0777; break;
        default: e.unix_mode = kUnixFile | perms; e.dos_attributes = kDosArchive;
    }
    if ((perms & 0200) == 0) e.dos_attributes |= kDosReadOnly;
    return e;
}

// One entry to write, in archive order.
struct Job {
    const SourceItem* source = nullptr;  // from disk
    const ZipEntry* old = nullptr;       // copied from the existing archive
    // Filled by the batch workers for small files:
    std::vector<uint8_t> packed;
    uint16_t method = kMethodStored;
    uint32_t crc = 0;
    uint64_t size = 0;
    std::optional<Failure> failure;
};

bool IsSmallFile(const Job& job) {
    return job.source && job.source->stat.kind == FileKind::kRegular && job.source->stat.size <= kSmallFile;
}

class Packer {
public:
    Packer(OutputFile& out, const PackOptions& options, OutputLog& log, ResultKeeper& result, Progress& progress)
        : writer_(out), out_(out), options_(options), log_(log), result_(result), progress_(progress) {}

    void Run(std::vector<Job>& jobs, const ZipReader* old) {
        workers_ = std::max(1u, std::min(ProcessorCount(), 4u));
        for (unsigned i = 0; i < workers_; ++i) encoders_.push_back(options_.level > 0 ? MakeEncoder(options_.level) : nullptr);
        size_t i = 0;
        while (i < jobs.size()) {
            if (!IsSmallFile(jobs[i])) {
                WriteOne(jobs[i], old, i, jobs.size());
                ++i;
                continue;
            }
            size_t end = i, bytes = 0;
            while (end < jobs.size() && IsSmallFile(jobs[end]) && (end == i || bytes + jobs[end].source->stat.size <= kBatchBytes)) {
                bytes += jobs[end].source->stat.size;
                ++end;
            }
            CompressBatch(jobs, i, end);
            for (size_t k = i; k < end; ++k) WriteOne(jobs[k], old, k, jobs.size());
            i = end;
        }
        writer_.Finish(old ? old->comment() : std::string());
    }

private:
    void CompressBatch(std::vector<Job>& jobs, size_t begin, size_t end) {
        std::atomic<size_t> next{begin};
        auto work = [&](unsigned worker) {
            std::vector<uint8_t> raw;
            while (true) {
                size_t k = next.fetch_add(1);
                if (k >= end) return;
                Job& job = jobs[k];
                try {
                    InputFile file(job.source->disk_path);
                    raw.resize(job.source->stat.size + 1);
                    raw.resize(file.Read(raw.data(), raw.size()));
                    job.size = raw.size();
                    job.crc = io::Crc32(0, raw.data(), raw.size());
                    job.method = kMethodStored;
                    if (encoders_[worker] && raw.size() > 0) {
                        io::MemorySource source(raw);
                        io::VectorSink sink(job.packed);
                        if (encoders_[worker]->encode(source, sink, raw.size() - 1) == Status::ok) job.method = kMethodDeflate;
                    }
                    if (job.method == kMethodStored) job.packed.swap(raw);
                } catch (const Failure& f) {
                    job.failure = f;
                }
            }
        };
        std::vector<std::future<void>> helpers;
        for (unsigned w = 1; w < workers_; ++w) helpers.push_back(std::async(std::launch::async, work, w));
        work(0);
        for (auto& h : helpers) h.get();
    }

    void WriteOne(Job& job, const ZipReader* old, size_t index, size_t total) {
        if (job.old) {
            // Kept entries go over byte for byte, whatever they hold (encryption fields, other
            // systems' attributes, comments): only where the local record now starts changes.
            writer_.CopyRaw(*old, *job.old);
            return;
        }
        const SourceItem& item = *job.source;
        progress_.Entry("adding", item.stored, index + 1, total);
        WriteEntry meta = MetaFor(item);
        if (job.failure) {
            if (job.failure->code() == result::kDiskFull || job.failure->code() == result::kWriteError) throw *job.failure;
            log_.Line("skipped " + item.stored + ": " + job.failure->what());
            result_.Note(job.failure->code());
            return;
        }
        switch (item.stat.kind) {
            case FileKind::kFolder:
                writer_.Add(meta, nullptr, 0);
                break;
            case FileKind::kLink: {
                const auto* data = reinterpret_cast<const uint8_t*>(item.link_target.data());
                meta.crc = io::Crc32(0, data, item.link_target.size());
                meta.original_size = meta.compressed_size = item.link_target.size();
                writer_.Add(meta, data, item.link_target.size());
                break;
            }
            default:
                if (IsSmallFile(job)) {
                    meta.method = job.method;
                    meta.crc = job.crc;
                    meta.original_size = job.size;
                    meta.compressed_size = job.packed.size();
                    writer_.Add(meta, job.packed.data(), job.packed.size());
                    std::vector<uint8_t>().swap(job.packed);
                } else {
                    StreamLarge(item, meta);
                }
        }
        log_.Line("added " + item.stored);
    }

    // Large files: decide from a sample whether deflate pays, then stream.
    void StreamLarge(const SourceItem& item, WriteEntry meta) {
        InputFile file;
        try {
            file = InputFile(item.disk_path);
        } catch (const Failure& f) {
            log_.Line("skipped " + item.stored + ": " + f.what());
            result_.Note(f.code());
            return;
        }
        uint64_t size = item.stat.size;
        bool deflate = options_.level > 0 && SampleCompresses(file);
        meta.original_size = size;
        writer_.Begin(meta);
        uint64_t start = writer_.data_start();
        if (deflate) {
            FileSource source(file);
            FileSink sink(out_);
            Status status = MakeEncoder(options_.level)->encode(source, sink, size > 0 ? size - 1 : 0);
            sink.Rethrow();
            if (status == Status::ok && source.bytes() == size) {
                writer_.End(source.crc(), kMethodDeflate, out_.position() - start);
                return;
            }
            if (status != Status::expanded && status != Status::ok) throw Failure(result::kReadError, "cannot read " + item.disk_path);
            out_.Truncate(start);
        }
        FileStart source(file, size, item.disk_path);
        writer_.Store(source);
    }

    bool SampleCompresses(InputFile& file) {
        std::vector<uint8_t> sample(kSample), packed;
        sample.resize(file.ReadAt(0, sample.data(), sample.size()));
        io::MemorySource source(sample);
        io::VectorSink sink(packed);
        // Worth it when the sample shrinks by 2 % or more.
        bool pays = encoders_[0]->encode(source, sink, sample.size() - sample.size() / 50) == Status::ok;
        return pays;
    }

    ZipWriter writer_;
    OutputFile& out_;
    const PackOptions& options_;
    OutputLog& log_;
    ResultKeeper& result_;
    Progress& progress_;
    unsigned workers_ = 1;
    std::vector<std::unique_ptr<quorvex6::codecs::Encoder>> encoders_;
};

}  // namespace

void PackZip(const std::string& archive, const std::vector<SourceItem>& sources, const PackOptions& options,
             OutputLog& log, ResultKeeper& result, Progress& progress) {
    ReplacementFile target(archive);  // before the old archive is read
    std::optional<ZipReader> old;
    auto existing = StatPath(archive);
    if (existing && existing->kind == FileKind::kRegular) old.emplace(std::make_unique<ArchiveInput>(archive));

    std::map<std::string, const SourceItem*> by_name;
    for (const SourceItem& item : sources) {
        // Never pack the archive into itself.
        if (existing && item.stat.device == existing->device && item.stat.inode == existing->inode) continue;
        by_name.emplace(item.stored, &item);
    }
    std::vector<Job> jobs;
    if (old) {
        for (const ZipEntry& entry : old->entries()) {
            Job job;
            auto it = by_name.find(entry.name);
            if (it != by_name.end()) {
                // DOS times have two-second steps; a file is newer only beyond that.
                bool newer = it->second->stat.mtime > entry.mtime() + 1;
                if (!options.update_only || newer) job.source = it->second;
                else log.Line("kept " + entry.name + ": not newer");
                by_name.erase(it);
            }
            if (!job.source) job.old = &entry;
            jobs.push_back(std::move(job));
        }
    }
    for (const SourceItem& item : sources) {
        auto it = by_name.find(item.stored);
        if (it == by_name.end() || it->second != &item) continue;
        Job job;
        job.source = &item;
        jobs.push_back(std::move(job));
    }
    if (jobs.empty()) throw Failure(result::kFileNotFound, "nothing to pack");
    Packer packer(target.file(), options, log, result, progress);
    packer.Run(jobs, old ? &*old : nullptr);
    old.reset();
    target.Commit();
}

}  // namespace quorvex6::backend::zip32j
