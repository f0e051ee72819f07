#include "formats/tar/tar_reader.h"

#include <algorithm>
#include <cstring>

#include "common/code_page.h"
#include "formats/tar/tar_format.h"
#include "io/fault.h"
#include "io/text.h"

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
    if (binary || io::IsValidUtf8(raw) || !ConvertToUtf8("CP932", raw, &decoded)) return raw;
    return decoded;
}

EntryKind KindOf(char type) {
    switch (type) {
        case typeflag::kRegular:
        case typeflag::kRegularOld:
        case typeflag::kContiguous:
        case typeflag::kGnuSparse:
            return EntryKind::kFile;
        case typeflag::kHardLink:
            return EntryKind::kHardLink;
        case typeflag::kSymlink:
            return EntryKind::kSymlink;
        case typeflag::kFolder:
        case typeflag::kGnuDumpDir:
            return EntryKind::kFolder;
        default:
            return EntryKind::kOther;
    }
}

}  // namespace

TarReader::TarReader(std::unique_ptr<io::RandomInput> input)
    : input_(std::move(input)), stream_(OpenTarBytes(*input_, method_)) {}

void TarReader::HeaderError(const std::string& what) {
    // Damage in a compressed stream is decoded into garbage before the stream's own check
    // fails, and how far the decoder has got is a matter of timing: past the first header, its
    // verdict names the fault. Before it, nothing shows that this is a TAR archive at all.
    if (!first_ && !stream_.EndsSound())
        throw io::Error(io::Fault::kBrokenData,
                        "broken data: the compressed stream fails its check or is cut");
    throw io::Error(first_ ? io::Fault::kNotArchive : io::Fault::kBrokenHeader,
                    "broken archive: " + what);
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
        std::string_view text(reinterpret_cast<const char*>(stream_.data()),
                              static_cast<size_t>(n));
        if (auto bytes = ParseSparseMapLines(text, pieces_, done)) {
            if (*bytes > stored) HeaderError("a sparse map longer than its entry");
            stream_.Skip(*bytes);
            stored -= *bytes;
            return;
        }
        if (done || static_cast<uint64_t>(n) < want || want >= TarStream::kBuffer)
            HeaderError("a broken sparse map");
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
        if (IsZeroBlock(stream_.block())) {
            if (overridden) HeaderError("an extended header without its entry");
            ended_ = true;
            if (!stream_.EndsSound())
                throw io::Error(io::Fault::kBrokenData,
                                "broken data: the compressed stream fails its check or is cut "
                                "after the last entry");
            return false;
        }
        h = ParseHeader(stream_.block());
        if (!h)
            HeaderError(first_ ? "not a TAR archive" : "a header's checksum or numbers are wrong");
        stream_.Consume(kBlock);
        if (h->type != typeflag::kPax && h->type != typeflag::kPaxGlobal &&
            h->type != typeflag::kGnuLongName && h->type != typeflag::kGnuLongLink)
            break;
        std::string meta = ReadMeta(h->size);
        overridden = true;
        if (h->type == typeflag::kPax && !ParsePaxRecords(meta, over))
            HeaderError("broken pax records");
        if (h->type == typeflag::kGnuLongName) over.name = UpToNul(meta);
        if (h->type == typeflag::kGnuLongLink) over.link = UpToNul(meta);
    }
    for (bool extended = h->extended; extended;) {
        if (stream_.Fill(kBlock) != static_cast<std::ptrdiff_t>(kBlock) ||
            !ParseSparseExtension(stream_.block(), h->pieces, extended))
            HeaderError("a broken sparse header");
        stream_.Consume(kBlock);
    }
    first_ = false;
    uint64_t stored = over.size.value_or(h->size);
    out = TarEntry{};
    out.kind = KindOf(h->type);
    out.facts.name =
        NameText(over.sparse_name.value_or(over.name.value_or(h->name)), over.binary_names);
    out.facts.os_type = kOsUnix;
    out.facts.mtime = over.mtime.value_or(h->mtime);
    out.facts.method = method_;
    out.mode = h->mode;
    out.facts.read_only = (out.mode & 0200) == 0;
    sparse_ = h->type == typeflag::kGnuSparse || over.sparse;
    pieces_ = h->type == typeflag::kGnuSparse ? std::move(h->pieces) : std::move(over.sparse_map);
    real_size_ = h->type == typeflag::kGnuSparse ? h->real_size : over.sparse_size.value_or(0);
    if (sparse_) {
        if (out.kind != EntryKind::kFile || (h->type != typeflag::kGnuSparse && !over.sparse_size))
            HeaderError("a broken sparse entry");
        if (over.sparse_map_in_data) ReadSparseMap(stored);
        if (!SparseMapHolds(pieces_, real_size_, stored))
            HeaderError("a sparse map that does not fit its entry");
    }
    if (out.kind == EntryKind::kFile &&
        (h->type == typeflag::kRegular || h->type == typeflag::kRegularOld) &&
        out.facts.name.ends_with('/'))
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

void TarReader::Copy(quorvex6::backend::codecs::Sink& sink, uint64_t n) {
    while (n > 0) {
        std::ptrdiff_t got =
            stream_.Fill(static_cast<size_t>(std::min<uint64_t>(n, TarStream::kBuffer)));
        if (got <= 0)
            throw io::Error(io::Fault::kBrokenData,
                            "broken data: the archive is cut short or damaged");
        if (!sink.write(stream_.data(), static_cast<size_t>(got)))
            throw io::Error(io::Fault::kWrite, "cannot write");
        stream_.Consume(static_cast<size_t>(got));
        n -= static_cast<uint64_t>(got);
        data_left_ -= static_cast<uint64_t>(got);
    }
}

void TarReader::Hole(quorvex6::backend::codecs::Sink& sink, uint64_t n) {
    if (n > 0 && !sink.hole(n)) throw io::Error(io::Fault::kWrite, "cannot write");
}

void TarReader::ReadData(quorvex6::backend::codecs::Sink& sink) {
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

size_t TarReader::ReadSome(uint8_t* data, size_t n) {
    std::ptrdiff_t got = stream_.Fill(std::min(
        {n, TarStream::kBuffer, static_cast<size_t>(std::min<uint64_t>(data_left_, SIZE_MAX))}));
    if (got <= 0)
        throw io::Error(io::Fault::kBrokenData, "broken data: the archive is cut short or damaged");
    std::memcpy(data, stream_.data(), static_cast<size_t>(got));
    stream_.Consume(static_cast<size_t>(got));
    data_left_ -= static_cast<uint64_t>(got);
    return static_cast<size_t>(got);
}

class TarReader::Data final : public io::Source {
  public:
    explicit Data(TarReader& reader)
        : reader_(reader), size_(reader.sparse_ ? reader.real_size_ : reader.data_left_) {}
    std::ptrdiff_t read(uint8_t* data, size_t size) override {
        size = static_cast<size_t>(std::min<uint64_t>(size, size_ - at_));
        if (size == 0) return 0;
        size_t n = reader_.sparse_ ? ReadSparse(data, size) : reader_.ReadSome(data, size);
        at_ += n;
        return static_cast<std::ptrdiff_t>(n);
    }

  private:
    // Zeros up to the next piece, or that piece's stored bytes.
    size_t ReadSparse(uint8_t* data, size_t size) {
        const std::vector<Piece>& pieces = reader_.pieces_;
        while (piece_ < pieces.size() && pieces[piece_].offset + pieces[piece_].size <= at_)
            ++piece_;
        if (piece_ == pieces.size() || at_ < pieces[piece_].offset) {
            uint64_t hole_end = piece_ == pieces.size() ? size_ : pieces[piece_].offset;
            size_t n = static_cast<size_t>(std::min<uint64_t>(size, hole_end - at_));
            std::memset(data, 0, n);
            return n;
        }
        const Piece& piece = pieces[piece_];
        return reader_.ReadSome(
            data, static_cast<size_t>(std::min<uint64_t>(size, piece.offset + piece.size - at_)));
    }

    TarReader& reader_;
    uint64_t size_;
    uint64_t at_ = 0;
    size_t piece_ = 0;
};

std::unique_ptr<io::Source> TarReader::OpenData() { return std::make_unique<Data>(*this); }

}  // namespace quorvex6::backend::tar
