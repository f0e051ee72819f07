// A RAR archive that may go on in further volumes: every volume's entries in order, a file
// split across volumes joined from its pieces again. Only volumes of the set the first one
// names are read: each must say it is a later volume (of the right number, where stored) and
// continue the split file that is open, else the set ends before it.
#pragma once
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "codecs/codec.h"
#include "formats/rar/entry.h"
#include "io/random_access.h"
#include "io/stream.h"

namespace quorvex6::backend::rar {

struct Piece {
    std::size_t volume = 0;
    Entry entry;
};

struct JoinedEntry {
    Entry entry;  // the first piece's header, with the sizes and check values of the whole
    std::vector<Piece> pieces;
    bool complete = true;  // no piece of it lies in a volume that is missing
};

// Whether the entry's data is stored, or compressed with a method a codec here decodes.
bool HasDecoder(const Entry& entry);

// A decoder for the entry's method that can carry a solid stream from member to member;
// nullptr when no codec here decodes it.
std::unique_ptr<::quorvex6::backend::codecs::Decoder> MakeStreamDecoder(const Entry& entry);

class VolumeSet {
  public:
    // An open volume, or nullptr when there is no file of that name.
    using OpenVolume = std::function<std::unique_ptr<io::RandomInput>(const std::string& path)>;

    // Reads the archive at `path` (whose opening failure the caller's `open` throws) and each
    // next volume while the last one read says the archive goes on. Throws what ReadVolume
    // throws for the first volume; a later one that is missing, damaged at its start or not
    // of this set ends the set.
    VolumeSet(const std::string& path, const OpenVolume& open);

    const std::vector<JoinedEntry>& entries() const { return entries_; }
    const std::vector<std::string>& paths() const { return paths_; }
    const Volume& first() const { return first_; }
    // The first damage found in any volume.
    const std::optional<io::Error>& end_error() const { return end_error_; }

    using VolumeInput = std::function<io::RandomInput&(std::size_t volume)>;
    // The entry's data, piece by piece from `volume(piece.volume)`, into `out`: each piece but
    // the last checked against its own CRC-32, the whole against the last one's CRC-32 and its
    // BLAKE2sp where stored. Throws io::Error: kEncrypted, kUnknownMethod (compressed data),
    // kBrokenData (a piece missing or short), kDataChecksum, kRead, kWrite.
    // A fresh decoder serves it: an entry that continues a solid stream is kUnknownMethod here.
    static void Decode(const JoinedEntry& entry, const VolumeInput& volume, io::Sink& out);
    // The same through `decoder` (unused for stored data), declared the entry's dictionary and
    // whether it continues the solid stream the decoder has decoded so far; kUnknownMethod
    // when the decoder cannot take it.
    static void DecodeMember(const JoinedEntry& entry, const VolumeInput& volume,
                             ::quorvex6::backend::codecs::Decoder* decoder, io::Sink& out);

  private:
    bool Belongs(const Volume& next, std::size_t index) const;
    void Add(std::size_t volume, const Entry& entry);

    Volume first_;
    std::vector<std::string> paths_;
    std::vector<JoinedEntry> entries_;
    std::optional<io::Error> end_error_;
    std::optional<std::uint64_t> last_number_;
    bool open_piece_ = false;  // the last entry goes on in the next volume
};

}  // namespace quorvex6::backend::rar
