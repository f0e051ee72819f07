#include "formats/arj/volume_set.h"

#include <cstdio>

namespace quorvex6::backend::arj {

namespace {

constexpr std::size_t kMaxVolume = 99;

}  // namespace

std::optional<std::string> VolumeName(const std::string& first, std::size_t number) {
    if (number > kMaxVolume) return std::nullopt;
    std::size_t dot = first.find_last_of('.');
    std::size_t slash = first.find_last_of("/\\");
    std::string base = first;
    char letter = 'a';
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        base = first.substr(0, dot);
        // "NAME.ARJ" goes on as "NAME.A01".
        if (dot + 1 < first.size() && first[dot + 1] >= 'A' && first[dot + 1] <= 'Z') letter = 'A';
    }
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, ".%c%02zu", letter, number);
    return base + suffix;
}

VolumeSet::VolumeSet(const std::string& path, const OpenVolume& open) {
    std::string current = path;
    std::unique_ptr<io::RandomInput> input = open(current);
    for (std::size_t volume = 0; input; ++volume) {
        std::optional<Reader> reader;
        try {
            reader.emplace(*input);
        } catch (const io::Error& error) {
            if (volume == 0) throw;
            end_error_ = io::Error(error.fault(), current + ": " + error.what());
            break;
        }
        paths_.push_back(current);
        if (volume == 0) {
            comment_ = reader->comment();
            chapter_ = reader->chapter();
        }
        for (const Entry& e : reader->entries()) Add(volume, e);
        if (reader->end_error()) {
            end_error_ = io::Error(reader->end_error()->fault(),
                                   current + ": " + reader->end_error()->what());
            break;
        }
        if (!reader->continues()) break;
        std::optional<std::string> next = VolumeName(path, volume + 1);
        if (!next) break;
        current = *next;
        input = open(current);
    }
    if (open_piece_) entries_.back().complete = false;
}

void VolumeSet::Add(std::size_t volume, const Entry& entry) {
    // Versions of files from other chapters are history the latest chapter does not show.
    if (chapter_ != 0 && (entry.first_chapter > chapter_ || entry.last_chapter < chapter_)) return;
    bool continued = (entry.flags & kFlagContinued) != 0;
    if (continued && open_piece_ && entries_.back().entry.name == entry.name &&
        entries_.back().entry.original_size == entry.resume_position) {
        JoinedEntry& joined = entries_.back();
        joined.entry.original_size += entry.original_size;
        joined.entry.packed_size += entry.packed_size;
        joined.pieces.push_back({volume, entry});
    } else {
        if (open_piece_) entries_.back().complete = false;
        entries_.push_back({entry, {{volume, entry}}, !continued});
    }
    open_piece_ = (entry.flags & kFlagVolume) != 0;
}

void VolumeSet::Decode(const JoinedEntry& entry,
                       const std::function<io::RandomInput&(std::size_t)>& volume, io::Sink& out) {
    for (const Piece& piece : entry.pieces) Reader::Decode(volume(piece.volume), piece.entry, out);
}

}  // namespace quorvex6::backend::arj
