#include "formats/arj/arj_writer.h"

#include <algorithm>
#include <string>
#include <vector>

#include "codecs/method_tables.h"
#include "io/crc32.h"
#include "io/fault.h"
#include "io/memory.h"
#include "io/position_sink.h"

namespace quorvex6::backend::arj {

namespace {

constexpr std::size_t kCopyBuffer = std::size_t{1} << 18;
// A large file is packed only when pieces of it shrink by 2 % or more: random or packed data
// would otherwise be compressed whole before it is found to grow, and then stored.
constexpr std::uint64_t kSampledFrom = std::uint64_t{1} << 20;
constexpr std::size_t kSample = std::size_t{1} << 15;
constexpr int kSamples = 4;
// Sizes are 32-bit fields.
constexpr std::uint64_t kSizeLimit = std::uint64_t{1} << 32;

// A file's data from its start, summing its CRC-32 on the way.
class SummedSource final : public io::Source {
  public:
    explicit SummedSource(io::RandomInput& data) : data_(data) {}
    std::ptrdiff_t read(std::uint8_t* out, std::size_t size) override {
        // A short read was the end: asking again would cost a file read per file for nothing.
        if (ended_) return 0;
        const std::ptrdiff_t n = data_.read_at(bytes_, out, size);
        if (n <= 0) return n;
        ended_ = static_cast<std::size_t>(n) < size;
        crc_ = io::Crc32(crc_, out, static_cast<std::size_t>(n));
        bytes_ += static_cast<std::uint64_t>(n);
        return n;
    }
    std::uint32_t crc() const { return crc_; }
    std::uint64_t bytes() const { return bytes_; }

  private:
    io::RandomInput& data_;
    std::uint32_t crc_ = 0;
    std::uint64_t bytes_ = 0;
    bool ended_ = false;
};

const codecs::Method& Packer() {
    const codecs::Method* m = codecs::FindMethod(codecs::LhMethods(), "arj1");
    if (m == nullptr || m->make_encoder == nullptr)
        throw io::Error(io::Fault::kUnknownMethod, "no encoder for ARJ method 1");
    return *m;
}

// Samples spread over the file, each packed on its own.
bool SamplesShrink(io::RandomInput& data) {
    std::vector<std::uint8_t> sample(kSample), packed;
    std::uint64_t raw_bytes = 0, packed_bytes = 0;
    for (int i = 0; i < kSamples; ++i) {
        const std::ptrdiff_t n = data.read_at(data.size() / kSamples * i, sample.data(), kSample);
        if (n <= 0) return true;  // the real pass reports it
        sample.resize(static_cast<std::size_t>(n));
        packed.clear();
        io::MemorySource source(sample);
        io::VectorSink sink(packed);
        if (Packer().make_encoder()->encode(source, sink, sample.size()) != codecs::Status::kOk)
            packed.resize(sample.size());
        raw_bytes += sample.size();
        packed_bytes += packed.size();
    }
    return packed_bytes < raw_bytes - raw_bytes / 50;
}

void Put(io::RandomOutput& out, const void* data, std::size_t size) {
    if (!out.write(data, size)) throw io::Error(io::Fault::kWrite, "cannot write the archive");
}

void PutAt(io::RandomOutput& out, std::uint64_t offset, const std::vector<std::uint8_t>& bytes) {
    if (!out.write_at(offset, bytes.data(), bytes.size()))
        throw io::Error(io::Fault::kWrite, "cannot write the archive");
}

// Compresses the data behind the header; false when it came out no smaller.
bool TryPacked(io::RandomOutput& out, Entry& entry, io::RandomInput& data) {
    if (data.size() >= kSampledFrom && !SamplesShrink(data)) return false;
    const std::uint64_t start = out.position();
    SummedSource source(data);
    io::PositionSink sink(out);
    const std::uint64_t limit = data.size() - 1;
    const codecs::Status s = Packer().make_encoder()->encode(source, sink, limit);
    if (s == codecs::Status::kExpanded) return false;
    if (s != codecs::Status::kOk) throw io::Error(codecs::FaultOf(s), "cannot pack " + entry.name);
    const std::uint64_t packed = out.position() - start;
    // A file that grew while it was read may no longer pay.
    if (packed >= source.bytes()) return false;
    entry.method = kMethodPacked;
    entry.packed_size = packed;
    entry.original_size = source.bytes();
    entry.crc = source.crc();
    return true;
}

void Stored(io::RandomOutput& out, Entry& entry, io::RandomInput& data) {
    SummedSource source(data);
    std::vector<std::uint8_t> buffer(
        static_cast<std::size_t>(std::clamp<std::uint64_t>(data.size(), 1, kCopyBuffer)));
    for (;;) {
        const std::ptrdiff_t n = source.read(buffer.data(), buffer.size());
        if (n == 0) break;
        if (n < 0) throw io::Error(io::Fault::kRead, "cannot read " + entry.name);
        Put(out, buffer.data(), static_cast<std::size_t>(n));
    }
    entry.method = kMethodStored;
    entry.packed_size = entry.original_size = source.bytes();
    entry.crc = source.crc();
}

}  // namespace

void PackEntry(io::RandomOutput& out, Entry& entry, io::RandomInput* data, std::uint8_t method) {
    if (data != nullptr && data->size() >= kSizeLimit)
        throw io::Error(io::Fault::kBrokenHeader, entry.name + ": too large for ARJ");
    entry.method = kMethodStored;
    entry.packed_size = entry.original_size = 0;
    entry.crc = 0;
    const std::uint64_t header_at = out.position();
    const std::vector<std::uint8_t> header = LocalHeader(entry);
    Put(out, header.data(), header.size());
    if (data == nullptr) return;
    const std::uint64_t data_at = out.position();
    const bool packed = method == kMethodPacked && data->size() > 0 && TryPacked(out, entry, *data);
    if (!packed) {
        out.seek(data_at);
        Stored(out, entry, *data);
    }
    if (entry.packed_size >= kSizeLimit || entry.original_size >= kSizeLimit)
        throw io::Error(io::Fault::kBrokenHeader, entry.name + ": grew too large for ARJ");
    PutAt(out, header_at, LocalHeader(entry));
}

void CopyEntry(io::RandomInput& archive, const Entry& entry, io::RandomOutput& out) {
    std::vector<std::uint8_t> buffer(kCopyBuffer);
    for (std::uint64_t at = entry.header_offset; at < entry.next_offset();) {
        const auto want = static_cast<std::size_t>(
            std::min<std::uint64_t>(buffer.size(), entry.next_offset() - at));
        const std::ptrdiff_t n = archive.read_at(at, buffer.data(), want);
        if (n < 0) throw io::Error(io::Fault::kRead, "cannot read the archive");
        if (n == 0)
            throw io::Error(io::Fault::kBrokenData, entry.name + ": the archive ends in it");
        Put(out, buffer.data(), static_cast<std::size_t>(n));
        at += static_cast<std::uint64_t>(n);
    }
}

void WriteMainHeader(io::RandomOutput& out, const ArchiveFacts& facts) {
    const std::vector<std::uint8_t> header = MainHeader(facts);
    Put(out, header.data(), header.size());
}

void WriteEnd(io::RandomOutput& out) { Put(out, kEndMarker, sizeof kEndMarker); }

}  // namespace quorvex6::backend::arj
