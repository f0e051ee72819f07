#include "zip32j/zip_pack_writer.h"

#include <algorithm>

#include "codecs/codec.h"
#include "common/result.h"
#include "formats/zip/zip_format.h"
#include "formats/zip/zip_methods.h"
#include "io/crc32.h"
#include "io/fault.h"
#include "io/memory.h"
#include "io/position_sink.h"

namespace quorvex6::backend::zip32j {

namespace {

using namespace quorvex6::backend::zip;
using quorvex6::backend::codecs::Status;

constexpr size_t kSample = 1 << 20;

struct ZipEncoded final : jobs::EncodedEntry {
    explicit ZipEncoded(WriteEntry e) : entry(std::move(e)) {}
    WriteEntry entry;
};

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
        case FileKind::kLink:
            e.unix_mode = kUnixLink | 0777;
            break;
        default:
            e.unix_mode = kUnixFile | perms;
            e.dos_attributes = kDosArchive;
    }
    if ((perms & 0200) == 0) e.dos_attributes |= kDosReadOnly;
    return e;
}

void Put(io::RandomOutput& out, const void* data, size_t size) {
    if (!out.write(data, size)) throw io::Error(io::Fault::kWrite, "cannot write the archive");
}

// A file's data in order, summing its check value on the way.
class SummedSource final : public io::Source {
  public:
    explicit SummedSource(io::RandomInput& data) : data_(data) {}
    std::ptrdiff_t read(std::uint8_t* out, std::size_t size) override {
        std::ptrdiff_t n = data_.read_at(bytes_, out, size);
        if (n <= 0) return n;
        crc_ = io::Crc32(crc_, out, static_cast<size_t>(n));
        bytes_ += static_cast<uint64_t>(n);
        return n;
    }
    uint32_t crc() const { return crc_; }
    uint64_t bytes() const { return bytes_; }

  private:
    io::RandomInput& data_;
    uint32_t crc_ = 0;
    uint64_t bytes_ = 0;
};

// The first `size` bytes of a file, as stat gave its size; one that became shorter meanwhile
// fails (0x801A) rather than be stored cut.
class FileStart final : public io::Source {
  public:
    FileStart(io::RandomInput& data, uint64_t size, const std::string& path)
        : data_(data), size_(size), path_(path) {}
    std::ptrdiff_t read(std::uint8_t* out, std::size_t size) override {
        if (done_ == size_) return 0;
        std::ptrdiff_t n =
            data_.read_at(done_, out, static_cast<size_t>(std::min<uint64_t>(size, size_ - done_)));
        if (n < 0) return n;
        if (n == 0) throw Failure(result::kReadError, path_ + " became shorter while it was read");
        done_ += static_cast<uint64_t>(n);
        return n;
    }

  private:
    io::RandomInput& data_;
    uint64_t size_;
    uint64_t done_ = 0;
    const std::string& path_;
};

class ZipEncoder final : public jobs::EntryEncoder {
  public:
    explicit ZipEncoder(int level)
        : level_(level), encoder_(level > 0 ? MakeEncoder(kMethodDeflate, level) : nullptr) {}

    uint64_t Encode(const SourceItem& item, io::RandomInput* data, io::RandomOutput& out,
                    std::unique_ptr<jobs::EncodedEntry>& encoded) override {
        WriteEntry meta = MetaFor(item);
        if (item.stat.kind == FileKind::kLink) {
            const auto* bytes = reinterpret_cast<const uint8_t*>(item.link_target.data());
            meta.crc = io::Crc32(0, bytes, item.link_target.size());
            meta.original_size = meta.compressed_size = item.link_target.size();
            WriteWhole(out, meta, bytes, item.link_target.size());
        } else if (data == nullptr) {
            WriteWhole(out, meta, nullptr, 0);
        } else if (item.stat.size <= kSmallFile) {
            EncodeSmall(*data, item.stat.size, out, meta);
        } else {
            EncodeLarge(*data, item, out, meta);
        }
        encoded = std::make_unique<ZipEncoded>(std::move(meta));
        return out.position();
    }

  private:
    static void WriteWhole(io::RandomOutput& out, const WriteEntry& meta, const uint8_t* bytes,
                           size_t size) {
        bool zip64 = meta.original_size >= k32Max || meta.compressed_size >= k32Max;
        std::string header = ZipWriter::LocalHeader(meta, zip64);
        Put(out, header.data(), header.size());
        if (size > 0) Put(out, bytes, size);
    }

    // Read whole (one byte more than listed, to see growth); deflated when that shrinks it.
    void EncodeSmall(io::RandomInput& data, uint64_t size, io::RandomOutput& out,
                     WriteEntry& meta) {
        raw_.resize(static_cast<size_t>(size) + 1);
        // One call: fewer bytes than asked mean the end was reached.
        std::ptrdiff_t got = data.read_at(0, raw_.data(), raw_.size());
        if (got < 0) throw io::Error(io::Fault::kRead, "cannot read the data of " + meta.name);
        raw_.resize(static_cast<size_t>(got));
        meta.original_size = raw_.size();
        meta.crc = io::Crc32(0, raw_.data(), raw_.size());
        meta.method = kMethodStored;
        packed_.clear();
        if (encoder_ && !raw_.empty()) {
            io::MemorySource source(raw_);
            io::VectorSink sink(packed_);
            if (encoder_->encode(source, sink, raw_.size() - 1) == Status::kOk)
                meta.method = kMethodDeflate;
        }
        const std::vector<uint8_t>& bytes = meta.method == kMethodDeflate ? packed_ : raw_;
        meta.compressed_size = bytes.size();
        WriteWhole(out, meta, bytes.data(), bytes.size());
    }

    // Decides from a sample whether deflate pays, then streams; stores what grew after all.
    void EncodeLarge(io::RandomInput& data, const SourceItem& item, io::RandomOutput& out,
                     WriteEntry& meta) {
        uint64_t size = item.stat.size;
        meta.original_size = size;
        bool zip64 = size >= k32Max;
        std::string header = ZipWriter::LocalHeader(meta, zip64);
        Put(out, header.data(), header.size());
        uint64_t start = out.position();
        if (level_ > 0 && SampleCompresses(data)) {
            SummedSource source(data);
            io::PositionSink sink(out);
            Status status = encoder_->encode(source, sink, size > 0 ? size - 1 : 0);
            if (status == Status::kOk && source.bytes() == size) {
                End(out, meta, zip64, source.crc(), kMethodDeflate, out.position() - start);
                return;
            }
            if (status != Status::kExpanded && status != Status::kOk) {
                if (status == Status::kWriteFailed)
                    throw io::Error(io::Fault::kWrite, "cannot write the archive");
                throw Failure(result::kReadError, "cannot read " + item.disk_path);
            }
            out.seek(start);
        }
        FileStart source(data, size, item.disk_path);
        std::vector<uint8_t> buffer(1 << 20);
        uint32_t crc = 0;
        for (;;) {
            std::ptrdiff_t n = source.read(buffer.data(), buffer.size());
            if (n == 0) break;
            if (n < 0) throw io::Error(io::Fault::kRead, "cannot read the data of " + meta.name);
            crc = io::Crc32(crc, buffer.data(), static_cast<size_t>(n));
            Put(out, buffer.data(), static_cast<size_t>(n));
        }
        End(out, meta, zip64, crc, kMethodStored, out.position() - start);
    }

    // Sizes and check value into the header written before the data.
    static void End(io::RandomOutput& out, WriteEntry& meta, bool zip64, uint32_t crc,
                    uint16_t method, uint64_t compressed_size) {
        meta.crc = crc;
        meta.method = method;
        meta.compressed_size = compressed_size;
        if (!zip64 && compressed_size >= k32Max)
            throw io::Error(io::Fault::kWrite, "entry grew past 4 GiB: " + meta.name);
        std::string header = ZipWriter::LocalHeader(meta, zip64);
        if (!out.write_at(0, header.data(), header.size()))
            throw io::Error(io::Fault::kWrite, "cannot write the archive");
    }

    bool SampleCompresses(io::RandomInput& data) {
        std::vector<uint8_t> sample(kSample), packed;
        std::ptrdiff_t n = data.read_at(0, sample.data(), sample.size());
        sample.resize(n > 0 ? static_cast<size_t>(n) : 0);
        io::MemorySource source(sample);
        io::VectorSink sink(packed);
        // Worth it when the sample shrinks by 2 % or more.
        return encoder_->encode(source, sink, sample.size() - sample.size() / 50) == Status::kOk;
    }

    int level_;
    std::unique_ptr<quorvex6::backend::codecs::Encoder> encoder_;
    std::vector<uint8_t> raw_, packed_;
};

}  // namespace

ZipOldArchive::ZipOldArchive(const ZipReader* reader) {
    if (reader == nullptr) return;
    for (const ZipEntry& e : reader->entries()) entries_.push_back({e.name, e.mtime()});
}

ZipPackWriter::ZipPackWriter(OutputFile& file, const ZipReader* old, int level)
    : out_(file), writer_(out_), old_(old), level_(level) {}

std::unique_ptr<jobs::EntryEncoder> ZipPackWriter::MakeEncoder() {
    return std::make_unique<ZipEncoder>(level_);
}

void ZipPackWriter::Placed(std::unique_ptr<jobs::EncodedEntry> encoded, uint64_t offset) {
    writer_.Placed(std::move(static_cast<ZipEncoded&>(*encoded).entry), offset);
}

// Kept entries go over byte for byte, whatever they hold (encryption fields, other systems'
// attributes, comments): only where the local record now starts changes.
void ZipPackWriter::CopyRaw(size_t index) { writer_.CopyRaw(*old_, old_->entries()[index]); }

void ZipPackWriter::Finish() {
    writer_.Finish(old_ ? old_->comment() : std::string());
    // A file stored after deflate grew it, or one that failed, may have left bytes behind.
    if (!out_.CutHere()) out_.Rethrow();
}

}  // namespace quorvex6::backend::zip32j
