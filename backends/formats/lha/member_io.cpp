#include "formats/lha/member_io.h"

#include <algorithm>
#include <vector>

#include "codecs/method_tables.h"
#include "formats/lha/crc16.h"
#include "formats/lha/header_writer.h"
#include "formats/lha/lha_format.h"
#include "io/fault.h"

namespace quorvex6::backend::lha {

namespace {

class RangeSource final : public io::Source {
  public:
    RangeSource(io::RandomInput& in, std::uint64_t begin, std::uint64_t end)
        : in_(in), pos_(begin), end_(end) {}
    std::ptrdiff_t read(std::uint8_t* data, std::size_t size) override {
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, end_ - pos_));
        if (n == 0) return 0;
        std::ptrdiff_t got = in_.read_at(pos_, data, n);
        if (got > 0) {
            pos_ += static_cast<std::uint64_t>(got);
            crc_ = Crc16Update(crc_, data, static_cast<std::size_t>(got));
        }
        return got;
    }
    std::uint16_t crc() const { return crc_; }
    std::uint64_t consumed(std::uint64_t begin) const { return pos_ - begin; }

  private:
    io::RandomInput& in_;
    std::uint64_t pos_;
    std::uint64_t end_;
    std::uint16_t crc_ = 0;
};

class CrcSink final : public io::Sink {
  public:
    explicit CrcSink(io::Sink& out) : out_(out) {}
    bool write(const std::uint8_t* data, std::size_t size) override {
        crc_ = Crc16Update(crc_, data, size);
        count_ += size;
        return out_.write(data, size);
    }
    std::uint16_t crc() const { return crc_; }
    std::uint64_t count() const { return count_; }

  private:
    io::Sink& out_;
    std::uint16_t crc_ = 0;
    std::uint64_t count_ = 0;
};

// Compressed bytes straight into the archive; never past `limit`, so that a member stored
// instead overwrites everything an abandoned attempt wrote.
class ArchiveSink final : public io::Sink {
  public:
    ArchiveSink(io::RandomOutput& out, std::uint64_t limit) : out_(out), limit_(limit) {}
    bool write(const std::uint8_t* data, std::size_t size) override {
        if (written_ + size > limit_) {
            over_ = true;
            return false;
        }
        written_ += size;
        if (!out_.write(data, size)) {
            failed_ = true;
            return false;
        }
        return true;
    }
    std::uint64_t written() const { return written_; }
    bool over() const { return over_; }
    bool failed() const { return failed_; }

  private:
    io::RandomOutput& out_;
    std::uint64_t limit_;
    std::uint64_t written_ = 0;
    bool over_ = false;
    bool failed_ = false;
};

[[noreturn]] void Fail(codecs::Status status, const std::string& what) {
    throw io::Error(codecs::FaultOf(status), what);
}

[[noreturn]] void WriteFailed() { throw io::Error(io::Fault::kWrite, "cannot write the archive"); }

}  // namespace

bool CanDecode(const Entry& e) {
    if (!e.has_data()) return true;
    const codecs::Method* m = codecs::FindMethod(codecs::LhMethods(), e.method);
    return m != nullptr && m->make_decoder != nullptr;
}

bool DeclaredSizePossible(const Entry& e) {
    if (!e.has_data()) return true;
    if (e.method == "lh0" || e.method == "lz4") return e.original_size == e.packed_size;
    return e.packed_size >= UINT64_MAX / kMaxExpansion - 1 ||
           e.original_size <= (e.packed_size + 1) * kMaxExpansion;
}

void DecodeMember(io::RandomInput& archive, const Entry& e, io::Sink& out) {
    if (!e.has_data()) return;
    const codecs::Method* m = codecs::FindMethod(codecs::LhMethods(), e.method);
    if (m == nullptr || m->make_decoder == nullptr)
        throw io::Error(io::Fault::kUnknownMethod, e.name + ": unknown method -" + e.method + "-");
    RangeSource src(archive, e.data_offset, e.data_offset + e.packed_size);
    CrcSink sink(out);
    const codecs::Status s = m->make_decoder()->decode(src, e.packed_size, e.original_size, sink);
    if (s != codecs::Status::kOk) Fail(s, e.name + ": broken data");
    if (sink.crc() != e.crc) throw io::Error(io::Fault::kDataChecksum, e.name + ": CRC error");
}

void PackMember(io::RandomOutput& out, Entry& e, io::RandomInput* data, const std::string& method) {
    const std::uint64_t header_at = out.position();
    const std::uint64_t size_hint = data != nullptr ? data->size() : 0;
    e.method = e.folder || size_hint == 0 ? "lh0" : method;
    HeaderBytes header = BuildLevel2Header(e, size_hint >= kWideSizesFrom);
    if (!out.write(header.bytes.data(), header.bytes.size())) WriteFailed();
    const std::uint64_t data_at = out.position();
    std::uint64_t packed = 0;
    std::uint64_t original = 0;
    std::uint16_t crc = 0;
    if (!e.folder && data != nullptr) {
        for (const std::string& attempt : {e.method, std::string("lh0")}) {
            const codecs::Method* m = codecs::FindMethod(codecs::LhMethods(), attempt);
            if (m == nullptr || m->make_encoder == nullptr)
                throw io::Error(io::Fault::kUnknownMethod, "no encoder for -" + attempt + "-");
            out.seek(data_at);
            RangeSource src(*data, 0, UINT64_MAX);
            // Stored members may be as long as the file; compressed ones must be shorter.
            std::uint64_t limit =
                attempt == "lh0" ? UINT64_MAX : (size_hint == 0 ? 0 : size_hint - 1);
            ArchiveSink sink(out, limit);
            codecs::Status s = m->make_encoder()->encode(src, sink, limit);
            if (sink.failed()) WriteFailed();
            if (s == codecs::Status::kExpanded || sink.over()) continue;
            if (s != codecs::Status::kOk) Fail(s, "cannot pack " + e.name);
            e.method = attempt;
            packed = sink.written();
            original = src.consumed(0);
            crc = src.crc();
            break;
        }
    }
    e.packed_size = packed;
    e.original_size = original;
    e.crc = crc;
    e.header_offset = header_at;
    e.data_offset = data_at;
    if (!PatchHeader(header, e.method, packed, original, crc))
        throw io::Error(io::Fault::kBrokenHeader, e.name + ": its sizes do not fit its header");
    if (!out.write_at(header_at, header.bytes.data(), header.bytes.size())) WriteFailed();
    out.seek(data_at + packed);
}

void CopyMember(io::RandomInput& archive, const Entry& e, io::RandomOutput& out) {
    std::vector<std::uint8_t> buf(256 * 1024);
    std::uint64_t pos = e.header_offset;
    const std::uint64_t end = e.next_offset();
    while (pos < end) {
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(buf.size(), end - pos));
        std::ptrdiff_t got = archive.read_at(pos, buf.data(), n);
        if (got < 0) throw io::Error(io::Fault::kRead, "cannot copy " + e.name);
        if (static_cast<std::size_t>(got) < n)
            throw io::Error(io::Fault::kBrokenData,
                            "cannot copy " + e.name + ": the archive ends in it");
        if (!out.write(buf.data(), n)) WriteFailed();
        pos += n;
    }
}

void WriteEnd(io::RandomOutput& out) {
    const std::uint8_t end = kEndMarker;
    if (!out.write(&end, 1)) WriteFailed();
}

}  // namespace quorvex6::backend::lha
