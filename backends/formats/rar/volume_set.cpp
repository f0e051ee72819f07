#include "formats/rar/volume_set.h"

#include <vector>

#include "codecs/method_tables.h"
#include "formats/rar/rar4_codec.h"
#include "formats/rar/reader.h"
#include "formats/rar/volume_names.h"
#include "io/crc32.h"
#include "io/crc32_sink.h"
#include "io/range_source.h"

namespace quorvex6::backend::rar {

namespace {

constexpr std::size_t kMaxVolumes = 10000;
constexpr std::size_t kCopyBuffer = 64 * 1024;

// Whether the archive goes on after this volume. RAR 1.5-2.x volumes may end without an end
// block: then a file left open says so.
bool GoesOn(const Volume& v) {
    if (v.ended) return v.continues;
    return v.is_volume && !v.entries.empty() && v.entries.back().split_after;
}

// Hashes only when the archive keeps a hash to compare with: BLAKE2sp costs more than a copy.
class Blake2spSink final : public io::Sink {
  public:
    Blake2spSink(io::Sink& next, bool hashing) : next_(next), hashing_(hashing) {}
    bool write(const std::uint8_t* data, std::size_t size) override {
        if (hashing_) hash_.Update(data, size);
        return next_.write(data, size);
    }
    io::Blake2spDigest Final() { return hash_.Final(); }

  private:
    io::Sink& next_;
    bool hashing_;
    io::Blake2sp hash_;
};

// An entry's packed data read piece after piece, each piece but the last checked against its
// own CRC-32 as it ends.
class PiecesSource final : public io::Source {
  public:
    PiecesSource(const JoinedEntry& joined, const VolumeSet::VolumeInput& volume)
        : joined_(joined), volume_(volume) {}
    std::ptrdiff_t read(std::uint8_t* data, std::size_t size) override {
        while (next_ <= joined_.pieces.size()) {
            if (piece_) {
                std::ptrdiff_t got = piece_->read(data, size);
                if (got != 0) {
                    if (got > 0) crc_ = io::Crc32(crc_, data, static_cast<std::size_t>(got));
                    return got;
                }
                const Entry& done = joined_.pieces[next_ - 1].entry;
                if (next_ < joined_.pieces.size() && done.crc && *done.crc != crc_)
                    throw io::Error(io::Fault::kDataChecksum,
                                    "the CRC of a piece of " + done.name + " disagrees");
            }
            if (next_ == joined_.pieces.size()) return 0;
            const Piece& p = joined_.pieces[next_++];
            piece_.emplace(volume_(p.volume), p.entry.data_offset, p.entry.packed_size);
            crc_ = 0;
        }
        return 0;
    }

  private:
    const JoinedEntry& joined_;
    const VolumeSet::VolumeInput& volume_;
    std::size_t next_ = 0;
    std::optional<io::RangeSource> piece_;
    std::uint32_t crc_ = 0;
};

// The methods a codec here decodes: RAR 5.0's LZ and those of RAR 1.5-4.x by their version.
const ::quorvex6::backend::codecs::Method* CodecOf(const Entry& e) {
    if (e.generation == Generation::kRar4) return Rar4Codec(e.version);
    if (e.version != 0) return nullptr;
    return ::quorvex6::backend::codecs::FindMethod(::quorvex6::backend::codecs::RarMethods(),
                                                   "rar5");
}

void CopyStored(io::RandomInput& in, const Entry& piece, io::Sink& out) {
    io::RangeSource source(in, piece.data_offset, piece.packed_size);
    // Sized to the piece: most files are small, and a buffer is zeroed when made.
    std::vector<std::uint8_t> buffer(
        static_cast<std::size_t>(std::min<std::uint64_t>(kCopyBuffer, piece.packed_size)));
    std::uint64_t left = piece.packed_size;
    while (left > 0) {
        std::ptrdiff_t got = source.read(buffer.data(), buffer.size());
        if (got < 0) throw io::Error(io::Fault::kRead, "cannot read the archive");
        if (got == 0)
            throw io::Error(io::Fault::kBrokenData, "the data of " + piece.name + " ends early");
        if (!out.write(buffer.data(), static_cast<std::size_t>(got)))
            throw io::Error(io::Fault::kWrite, "cannot write " + piece.name);
        left -= static_cast<std::uint64_t>(got);
    }
}

}  // namespace

bool HasDecoder(const Entry& entry) { return entry.method == 0 || CodecOf(entry) != nullptr; }

VolumeSet::VolumeSet(const std::string& path, const OpenVolume& open) {
    std::unique_ptr<io::RandomInput> input = open(path);
    first_ = ReadVolume(*input);
    Volume current = first_;
    std::string name = path;
    for (std::size_t index = 0;; ++index) {
        paths_.push_back(name);
        last_number_ = current.volume_number;
        for (const Entry& e : current.entries) Add(index, e);
        if (current.end_error) {
            end_error_ =
                io::Error(current.end_error->fault(), name + ": " + current.end_error->what());
            break;
        }
        if (!GoesOn(current) || index + 1 >= kMaxVolumes) break;
        std::optional<std::string> next =
            NextVolumeName(name, current.generation == Generation::kRar5 || current.new_numbering);
        if (!next) break;
        input = open(*next);
        if (!input) break;
        try {
            Volume v = ReadVolume(*input);
            if (!Belongs(v, index + 1)) break;
            current = std::move(v);
        } catch (const io::Error& error) {
            if (error.fault() == io::Fault::kRead) throw;
            end_error_ = io::Error(error.fault(), *next + ": " + error.what());
            break;
        }
        name = *next;
    }
    first_.entries.clear();
    if (open_piece_) entries_.back().complete = false;
}

bool VolumeSet::Belongs(const Volume& next, std::size_t index) const {
    if (next.generation != first_.generation || !next.is_volume || next.first_volume) return false;
    if (next.generation == Generation::kRar5 &&
        next.volume_number != first_.volume_number.value_or(0) + index)
        return false;
    if (next.volume_number && last_number_ && *next.volume_number != *last_number_ + 1)
        return false;
    // The open file goes on at the start of the next volume, and nothing else may.
    bool continues = !next.entries.empty() && next.entries.front().split_before;
    if (continues != open_piece_) return false;
    return !continues || next.entries.front().name == entries_.back().entry.name;
}

void VolumeSet::Add(std::size_t volume, const Entry& entry) {
    if (entry.split_before && open_piece_ && entries_.back().entry.name == entry.name) {
        JoinedEntry& joined = entries_.back();
        joined.entry.packed_size += entry.packed_size;
        joined.entry.crc = entry.crc;
        joined.entry.blake2sp = entry.blake2sp;
        joined.entry.split_after = entry.split_after;
        if (entry.generation == Generation::kRar5) joined.entry.original_size = entry.original_size;
        joined.pieces.push_back({volume, entry});
    } else {
        if (open_piece_) entries_.back().complete = false;
        entries_.push_back({entry, {{volume, entry}}, !entry.split_before});
    }
    open_piece_ = entry.split_after;
}

std::unique_ptr<::quorvex6::backend::codecs::Decoder> MakeStreamDecoder(const Entry& entry) {
    const ::quorvex6::backend::codecs::Method* codec = CodecOf(entry);
    return codec == nullptr ? nullptr : codec->make_decoder();
}

void VolumeSet::Decode(const JoinedEntry& joined, const VolumeInput& volume, io::Sink& out) {
    std::unique_ptr<::quorvex6::backend::codecs::Decoder> decoder =
        joined.entry.method == 0 ? nullptr : MakeStreamDecoder(joined.entry);
    DecodeMember(joined, volume, decoder.get(), out);
}

void VolumeSet::DecodeMember(const JoinedEntry& joined, const VolumeInput& volume,
                             ::quorvex6::backend::codecs::Decoder* decoder, io::Sink& out) {
    const Entry& e = joined.entry;
    if (e.encrypted) throw io::Error(io::Fault::kEncrypted, e.name + " is encrypted");
    bool stored = e.method == 0;
    if (!stored && (decoder == nullptr || !decoder->prepare({e.dictionary, e.solid})))
        throw io::Error(io::Fault::kUnknownMethod,
                        e.name + ": method m" + std::to_string(e.method) +
                            (e.solid ? " continuing a solid stream" : "") + " is not available");
    if (!joined.complete)
        throw io::Error(io::Fault::kBrokenData,
                        e.name + " is split across volumes, and one is missing");
    Blake2spSink hashed(out, e.blake2sp.has_value());
    io::Crc32Sink whole(hashed);
    std::uint64_t written = 0;
    if (!stored) {
        PiecesSource packed(joined, volume);
        ::quorvex6::backend::codecs::Status status =
            decoder->decode(packed, e.packed_size, e.original_size, whole);
        if (status != ::quorvex6::backend::codecs::Status::kOk)
            throw io::Error(::quorvex6::backend::codecs::FaultOf(status),
                            "cannot decode " + e.name);
        written = e.original_size;
    }
    for (std::size_t i = 0; stored && i < joined.pieces.size(); ++i) {
        const Entry& piece = joined.pieces[i].entry;
        io::Crc32Sink part(static_cast<io::Sink&>(whole));
        CopyStored(volume(joined.pieces[i].volume), piece, part);
        written += piece.packed_size;
        bool last = i + 1 == joined.pieces.size();
        if (!last && piece.crc && *piece.crc != part.crc())
            throw io::Error(io::Fault::kDataChecksum,
                            "the CRC of a piece of " + e.name + " disagrees");
    }
    if (e.original_size != UINT64_MAX && written != e.original_size)
        throw io::Error(io::Fault::kBrokenData, "the stored size of " + e.name + " disagrees");
    if (e.crc && *e.crc != whole.crc())
        throw io::Error(io::Fault::kDataChecksum, "the CRC of " + e.name + " disagrees");
    if (e.blake2sp && *e.blake2sp != hashed.Final())
        throw io::Error(io::Fault::kDataChecksum, "the BLAKE2sp hash of " + e.name + " disagrees");
}

}  // namespace quorvex6::backend::rar
