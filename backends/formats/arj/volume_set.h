// An ARJ archive that may go on in further volumes (name.arj, name.a01, name.a02, ...): every
// volume's entries in order, a file split across volumes joined from its pieces again. An
// archive with chapters shows its latest chapter: the entries (and the label) that belong to
// it, as `arj l` lists them.
#pragma once
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "formats/arj/arj_reader.h"
#include "io/random_access.h"

namespace quorvex6::backend::arj {

struct Piece {
    std::size_t volume = 0;
    Entry entry;
};

struct JoinedEntry {
    Entry entry;  // the first piece's header, with the sizes of all pieces together
    std::vector<Piece> pieces;
    bool complete = true;  // neither its start nor its end lies in a volume that is missing
};

// The name of volume `number` (1 for the first after `first`): the extension's last two
// characters become the number, "a.arj" giving "a.a01"; nullopt past 99.
std::optional<std::string> VolumeName(const std::string& first, std::size_t number);

class VolumeSet {
  public:
    // An open volume, or nullptr when there is no file of that name.
    using OpenVolume = std::function<std::unique_ptr<io::RandomInput>(const std::string& path)>;

    // Reads the archive at `path` (whose opening failure the caller's `open` throws) and each
    // next volume while the last one read says the archive goes on. Throws what Reader throws
    // for the first volume; a later volume that is missing or no ARJ archive ends the set.
    VolumeSet(const std::string& path, const OpenVolume& open);

    const std::vector<JoinedEntry>& entries() const { return entries_; }
    const std::vector<std::string>& paths() const { return paths_; }
    const std::string& comment() const { return comment_; }
    // The first damage found in any volume.
    const std::optional<io::Error>& end_error() const { return end_error_; }

    // Every piece decoded in turn from `volume(piece.volume)`, each checked against its own
    // CRC-32 (see Reader::Decode).
    static void Decode(const JoinedEntry& entry,
                       const std::function<io::RandomInput&(std::size_t)>& volume, io::Sink& out);

  private:
    void Add(std::size_t volume, const Entry& entry);

    std::vector<std::string> paths_;
    std::vector<JoinedEntry> entries_;
    std::string comment_;
    std::optional<io::Error> end_error_;
    bool open_piece_ = false;  // the last entry goes on in the next volume
    std::uint8_t chapter_ = 0;
};

}  // namespace quorvex6::backend::arj
