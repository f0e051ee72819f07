#include "formats/lha/member_io.h"

#include "formats/lha/crc16.h"
#include "formats/lha/header_writer.h"

#include <algorithm>
#include <vector>

namespace quorvex6::formats::lha {

namespace {

class RangeSource final : public codecs::Source {
public:
    RangeSource(ByteInput& in, std::uint64_t begin, std::uint64_t end) : in_(in), pos_(begin), end_(end) {}
    std::ptrdiff_t read(std::uint8_t* data, std::size_t size) override {
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, end_ - pos_));
        if (n == 0) return 0;
        std::ptrdiff_t got = in_.read_at(pos_, data, n);
        if (got > 0) {
            pos_ += static_cast<std::uint64_t>(got);
            crc_ = crc16_update(crc_, data, static_cast<std::size_t>(got));
        }
        return got;
    }
    std::uint16_t crc() const { return crc_; }
    std::uint64_t consumed(std::uint64_t begin) const { return pos_ - begin; }

private:
    ByteInput& in_;
    std::uint64_t pos_;
    std::uint64_t end_;
    std::uint16_t crc_ = 0;
};

class CrcSink final : public codecs::Sink {
public:
    explicit CrcSink(codecs::Sink& out) : out_(out) {}
    bool write(const std::uint8_t* data, std::size_t size) override {
        crc_ = crc16_update(crc_, data, size);
        count_ += size;
        return out_.write(data, size);
    }
    std::uint16_t crc() const { return crc_; }
    std::uint64_t count() const { return count_; }

private:
    codecs::Sink& out_;
    std::uint16_t crc_ = 0;
    std::uint64_t count_ = 0;
};

// Compressed bytes straight into the archive; never past `limit`, so that a member stored
// instead overwrites everything an abandoned attempt wrote.
class ArchiveSink final : public codecs::Sink {
public:
    ArchiveSink(ByteOutput& out, std::uint64_t limit) : out_(out), limit_(limit) {}
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
    ByteOutput& out_;
    std::uint64_t limit_;
    std::uint64_t written_ = 0;
    bool over_ = false;
    bool failed_ = false;
};

Status from_codec(codecs::Status s) {
    switch (s) {
        case codecs::Status::ok: return Status::ok;
        case codecs::Status::corrupt: return Status::broken_data;
        case codecs::Status::truncated: return Status::truncated;
        case codecs::Status::read_failed: return Status::read_failed;
        case codecs::Status::write_failed: return Status::write_failed;
        case codecs::Status::expanded: return Status::broken_data;
    }
    return Status::broken_data;
}

}  // namespace

bool can_decode(const Entry& e) {
    if (!e.has_data()) return true;
    const codecs::Method* m = codecs::find_method(e.method);
    return m != nullptr && m->make_decoder != nullptr;
}

bool declared_size_possible(const Entry& e) {
    if (!e.has_data()) return true;
    if (e.method == "lh0" || e.method == "lz4") return e.original_size == e.packed_size;
    return e.packed_size >= UINT64_MAX / kMaxExpansion - 1 ||
           e.original_size <= (e.packed_size + 1) * kMaxExpansion;
}

Status extract_member(ByteInput& archive, const Entry& e, codecs::Sink& out) {
    if (!e.has_data()) return Status::ok;
    const codecs::Method* m = codecs::find_method(e.method);
    if (m == nullptr || m->make_decoder == nullptr) return Status::unsupported;
    RangeSource src(archive, e.data_offset, e.data_offset + e.packed_size);
    CrcSink sink(out);
    Status s = from_codec(m->make_decoder()->decode(src, e.packed_size, e.original_size, sink));
    if (s != Status::ok) return s;
    return sink.crc() == e.crc ? Status::ok : Status::crc_mismatch;
}

Status pack_member(ByteOutput& out, Entry& e, ByteInput* data, const std::string& method) {
    const std::uint64_t header_at = out.position();
    const std::uint64_t size_hint = data != nullptr ? data->size() : 0;
    e.method = e.folder || size_hint == 0 ? "lh0" : method;
    HeaderBytes header = build_level2_header(e, size_hint >= 0xf0000000u);
    if (!out.write(header.bytes.data(), header.bytes.size())) return Status::write_failed;
    const std::uint64_t data_at = out.position();
    std::uint64_t packed = 0;
    std::uint64_t original = 0;
    std::uint16_t crc = 0;
    if (!e.folder && data != nullptr) {
        for (const std::string& attempt : {e.method, std::string("lh0")}) {
            const codecs::Method* m = codecs::find_method(attempt);
            if (m == nullptr || m->make_encoder == nullptr) return Status::unsupported;
            out.seek(data_at);
            RangeSource src(*data, 0, UINT64_MAX);
            // Stored members may be as long as the file; compressed ones must be shorter.
            std::uint64_t limit = attempt == "lh0" ? UINT64_MAX : (size_hint == 0 ? 0 : size_hint - 1);
            ArchiveSink sink(out, limit);
            codecs::Status s = m->make_encoder()->encode(src, sink, limit);
            if (sink.failed()) return Status::write_failed;
            if (s == codecs::Status::expanded || sink.over()) continue;
            if (s != codecs::Status::ok) return from_codec(s);
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
    if (!patch_header(header, e.method, packed, original, crc)) return Status::broken_header;
    if (!out.write_at(header_at, header.bytes.data(), header.bytes.size())) return Status::write_failed;
    out.seek(data_at + packed);
    return Status::ok;
}

Status copy_member(ByteInput& archive, const Entry& e, ByteOutput& out) {
    std::vector<std::uint8_t> buf(256 * 1024);
    std::uint64_t pos = e.header_offset;
    const std::uint64_t end = e.next_offset();
    while (pos < end) {
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(buf.size(), end - pos));
        std::ptrdiff_t got = archive.read_at(pos, buf.data(), n);
        if (got < 0) return Status::read_failed;
        if (static_cast<std::size_t>(got) < n) return Status::truncated;
        if (!out.write(buf.data(), n)) return Status::write_failed;
        pos += n;
    }
    return Status::ok;
}

bool write_end(ByteOutput& out) {
    const std::uint8_t zero = 0;
    return out.write(&zero, 1);
}

}  // namespace quorvex6::formats::lha
