#include "formats/tar/tar_reader.h"

#include <algorithm>

#include "common/code_page.h"
#include "common/result.h"
#include "formats/tar/tar_header.h"

namespace quorvex6::backend::tar {

namespace {

// Names end at a NUL, as every C string the system sees would.
std::string UpToNul(std::string text) {
    text.resize(std::min(text.size(), text.find('\0')));
    return text;
}

// Names are bytes, kept as stored (as POSIX tools keep them), UTF-8 or not; only those that are
// valid Shift_JIS, from Windows tools of the Japanese code page, become UTF-8, unless a pax header
// marks them as bytes.
std::string NameText(std::string raw, bool binary) {
    raw = UpToNul(std::move(raw));
    std::string decoded;
    if (binary || IsValidUtf8(raw) || !ConvertToUtf8("CP932", raw, &decoded)) return raw;
    return decoded;
}

EntryKind KindOf(char type) {
    switch (type) {
        case '0': case '\0': case '7': case 'S': return EntryKind::kFile;
        case '1': return EntryKind::kHardLink;
        case '2': return EntryKind::kSymlink;
        case '5': case 'D': return EntryKind::kFolder;
        default: return EntryKind::kOther;
    }
}

}  // namespace

TarReader::TarReader(const std::string& path, bool read_ahead) : stream_(OpenTarBytes(path, method_, read_ahead)) {}

void TarReader::HeaderError(const std::string& what) const {
    throw Failure(first_ ? result::kNotValidArchive : result::kBrokenHeader, "broken archive: " + what);
}

std::string TarReader::ReadMeta(uint64_t size) {
    if (size > kMaxMetaBytes) HeaderError("an extended header is too large");
    std::string text;
    while (text.size() < size) {
        std::ptrdiff_t n = stream_.Fill(static_cast<size_t>(size - text.size()));
        if (n <= 0) HeaderError("cut inside an extended header");
        text.append(reinterpret_cast<const char*>(stream_.data()), static_cast<size_t>(n));
        stream_.Consume(static_cast<size_t>(n));
    }
    if (!stream_.Skip(PaddingAfter(size))) HeaderError("cut inside an extended header");
    return text;
}

// pax 1.0 sparse entries start their data with the map, in whole blocks.
void TarReader::ReadSparseMap(uint64_t& stored) {
    for (size_t want = kBlock;; want += kBlock) {
        std::ptrdiff_t n = stream_.Fill(static_cast<size_t>(std::min<uint64_t>(want, stored)));
        if (n < 0) HeaderError("cut inside a sparse map");
        bool done = false;
        std::string_view text(reinterpret_cast<const char*>(stream_.data()), static_cast<size_t>(n));
        if (auto bytes = ParseSparseMapLines(text, pieces_, done)) {
            if (*bytes > stored) HeaderError("a sparse map longer than its entry");
            stream_.Skip(*bytes);
            stored -= *bytes;
            return;
        }
        if (done || static_cast<uint64_t>(n) < want || want >= TarStream::kBuffer) HeaderError("a broken sparse map");
    }
}

bool TarReader::Next(TarEntry& out) {
    if (ended_) return false;
    if (!stream_.Skip(data_left_ + padding_)) HeaderError("cut inside an entry's data");
    data_left_ = padding_ = 0;
    Overrides over;
    bool overridden = false;
    std::optional<Header> h;
    for (;;) {
        std::ptrdiff_t n = stream_.Fill(kBlock);
        if (n < 0) HeaderError("the data is broken or cut");
        if (n == 0 && !first_ && !overridden) {
            ended_ = true;  // no end blocks: the end all the same, as other readers have it
            return false;
        }
        if (n < static_cast<std::ptrdiff_t>(kBlock)) HeaderError("cut inside a header");
        if (IsZeroBlock(stream_.data())) {
            if (overridden) HeaderError("an extended header without its entry");
            ended_ = true;
            if (!stream_.EndsSound())
                throw Failure(result::kBrokenData,
                              "broken data: the compressed stream fails its check or is cut after the last entry");
            return false;
        }
        h = ParseHeader(stream_.data());
        if (!h) HeaderError(first_ ? "not a TAR archive" : "a header's checksum or numbers are wrong");
        stream_.Consume(kBlock);
        if (h->type != 'x' && h->type != 'g' && h->type != 'L' && h->type != 'K') break;
        std::string meta = ReadMeta(h->size);
        overridden = true;
        if (h->type == 'x' && !ParsePaxRecords(meta, over)) HeaderError("broken pax records");
        if (h->type == 'L') over.name = UpToNul(meta);
        if (h->type == 'K') over.link = UpToNul(meta);
    }
    for (bool extended = h->extended; extended;) {
        if (stream_.Fill(kBlock) != static_cast<std::ptrdiff_t>(kBlock) ||
            !ParseSparseExtension(stream_.data(), h->pieces, extended))
            HeaderError("a broken sparse header");
        stream_.Consume(kBlock);
    }
    first_ = false;
    uint64_t stored = over.size.value_or(h->size);
    out = TarEntry{};
    out.kind = KindOf(h->type);
    out.facts.name = NameText(over.sparse_name.value_or(over.name.value_or(h->name)), over.binary_names);
    out.facts.os_type = kOsUnix;
    out.facts.mtime = over.mtime.value_or(h->mtime);
    out.facts.method = method_;
    out.mode = h->mode;
    out.facts.read_only = (out.mode & 0200) == 0;
    sparse_ = h->type == 'S' || over.sparse;
    pieces_ = h->type == 'S' ? std::move(h->pieces) : std::move(over.sparse_map);
    real_size_ = h->type == 'S' ? h->real_size : over.sparse_size.value_or(0);
    if (sparse_) {
        if (out.kind != EntryKind::kFile || (h->type != 'S' && !over.sparse_size)) HeaderError("a broken sparse entry");
        if (over.sparse_map_in_data) ReadSparseMap(stored);
        if (!SparseMapHolds(pieces_, real_size_, stored)) HeaderError("a sparse map that does not fit its entry");
    }
    if (out.kind == EntryKind::kFile && (h->type == '0' || h->type == '\0') && out.facts.name.ends_with('/'))
        out.kind = EntryKind::kFolder;  // how old archives mark folders
    if (out.kind == EntryKind::kSymlink) out.link_target = UpToNul(over.link.value_or(h->link));
    if (out.kind == EntryKind::kHardLink)  // names an entry, as its name is read
        out.link_target = NameText(over.link.value_or(h->link), over.binary_names);
    out.facts.folder = out.kind == EntryKind::kFolder;
    if (out.facts.folder && !out.facts.name.ends_with('/')) out.facts.name += '/';
    data_left_ = stored;
    padding_ = PaddingAfter(stored);
    uint64_t size = out.kind != EntryKind::kFile ? 0 : sparse_ ? real_size_ : stored;
    out.facts.original_size = out.facts.compressed_size = size;
    out.stored_size = out.kind == EntryKind::kFile ? stored : 0;
    return true;
}

void TarReader::Copy(quorvex6::codecs::Sink& sink, uint64_t n) {
    while (n > 0) {
        std::ptrdiff_t got = stream_.Fill(static_cast<size_t>(std::min<uint64_t>(n, TarStream::kBuffer)));
        if (got <= 0) throw Failure(result::kBrokenData, "broken data: the archive is cut short or damaged");
        if (!sink.write(stream_.data(), static_cast<size_t>(got))) throw Failure(result::kWriteError, "cannot write");
        stream_.Consume(static_cast<size_t>(got));
        n -= static_cast<uint64_t>(got);
        data_left_ -= static_cast<uint64_t>(got);
    }
}

void TarReader::Hole(quorvex6::codecs::Sink& sink, uint64_t n) {
    if (n > 0 && !sink.hole(n)) throw Failure(result::kWriteError, "cannot write");
}

void TarReader::ReadData(quorvex6::codecs::Sink& sink) {
    if (!sparse_) {
        Copy(sink, data_left_);
        return;
    }
    uint64_t at = 0;
    for (const Piece& piece : pieces_) {
        Hole(sink, piece.offset - at);
        Copy(sink, piece.size);
        at = piece.offset + piece.size;
    }
    Hole(sink, real_size_ - at);
    pieces_.clear();
    real_size_ = 0;
}

}  // namespace quorvex6::backend::tar
