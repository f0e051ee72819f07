#include "formats/cab/cab_set.h"

#include <algorithm>

#include "formats/cab/cab_format.h"
#include "io/fault.h"

namespace quorvex6::backend::cab {

namespace {

bool FromPrevious(const CabFile& file) {
    return file.folder == kContinuedFromPrevious || file.folder == kContinuedBoth;
}

bool ToNext(const CabFile& file) {
    return file.folder == kContinuedToNext || file.folder == kContinuedBoth;
}

bool SpillsIntoNext(const Cabinet& cab) {
    return std::any_of(cab.files.begin(), cab.files.end(), ToNext);
}

bool SpillsFromPrevious(const Cabinet& cab) {
    return std::any_of(cab.files.begin(), cab.files.end(), FromPrevious);
}

// Some writers store the set's first cabinet as every cabinet's previous one.
bool Continues(const Cabinet& last, const std::string& last_name, const Cabinet& next,
               const std::string& first_name) {
    return (next.flags & kFlagPrevious) && next.set_id == last.set_id &&
           next.index == last.index + 1 &&
           (SameCabinetName(next.previous_name, last_name) ||
            SameCabinetName(next.previous_name, first_name));
}

std::uint16_t LocalFolder(const Cabinet& cab, const CabFile& file) {
    if (ToNext(file)) return static_cast<std::uint16_t>(cab.folders.size() - 1);
    if (FromPrevious(file)) return 0;
    return file.folder;
}

void AddFolders(CabinetSet& set, bool joined) {
    SetCabinet& cabinet = set.cabinets.back();
    for (std::size_t i = 0; i < cabinet.cabinet.folders.size(); ++i) {
        FolderPiece piece{cabinet.input.get(), cabinet.cabinet.folders[i],
                          cabinet.cabinet.data_reserve};
        if (i == 0 && joined) {
            std::size_t continued = set.cabinets[set.cabinets.size() - 2].set_folders.back();
            set.folders[continued].pieces.push_back(piece);
            cabinet.set_folders.push_back(continued);
            continue;
        }
        cabinet.set_folders.push_back(set.folders.size());
        set.folders.push_back({{piece}, piece.folder.type});
    }
}

// Files in stored order, each once: a file that goes on into the next cabinet is listed there
// again, with the same place in its folder.
void AddFiles(CabinetSet& set, const std::vector<bool>& joined) {
    std::vector<bool> open;  // goes on into the cabinet after the one that listed it last
    std::vector<std::size_t> from_last;
    for (std::size_t k = 0; k < set.cabinets.size(); ++k) {
        const SetCabinet& cabinet = set.cabinets[k];
        std::vector<std::size_t> going_on;
        for (const CabFile& file : cabinet.cabinet.files) {
            std::size_t folder = cabinet.set_folders[LocalFolder(cabinet.cabinet, file)];
            if (FromPrevious(file) && joined[k]) {
                auto same = std::find_if(from_last.begin(), from_last.end(), [&](std::size_t i) {
                    const SetFile& earlier = set.files[i];
                    return earlier.folder == folder && earlier.file.size == file.size &&
                           earlier.file.folder_offset == file.folder_offset;
                });
                if (same != from_last.end()) {
                    open[*same] = ToNext(file);
                    if (ToNext(file)) going_on.push_back(*same);
                    from_last.erase(same);
                    continue;
                }
            }
            if (ToNext(file)) going_on.push_back(set.files.size());
            set.files.push_back({file, folder, FromPrevious(file) && !joined[k]});
            open.push_back(ToNext(file));
        }
        from_last = std::move(going_on);
    }
    // A folder that began in a cabinet not read has no known start: none of its files can be
    // found in it.
    std::vector<bool> headless(set.folders.size());
    for (std::size_t k = 0; k < set.cabinets.size(); ++k)
        if (!joined[k] && SpillsFromPrevious(set.cabinets[k].cabinet))
            headless[set.cabinets[k].set_folders.front()] = true;
    for (std::size_t i = 0; i < set.files.size(); ++i)
        if (open[i] || headless[set.files[i].folder]) set.files[i].incomplete = true;
}

}  // namespace

bool SameCabinetName(const std::string& a, const std::string& b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

CabinetSet JoinCabinets(std::unique_ptr<io::RandomInput> first, std::uint64_t start,
                        const std::string& first_name, const CabinetOpener& open) {
    CabinetSet set;
    Cabinet cabinet = ReadCabinet(*first, start);
    set.cabinets.push_back({std::move(first), std::move(cabinet), {}});
    std::vector<bool> joined{false};
    AddFolders(set, false);
    std::string last_name = first_name;
    while (open && (set.cabinets.back().cabinet.flags & kFlagNext)) {
        const Cabinet& last = set.cabinets.back().cabinet;
        std::unique_ptr<io::RandomInput> input = open(last.next_name);
        if (!input) break;
        Cabinet next;
        try {
            next = ReadCabinet(*input, 0);
        } catch (const io::Error&) {
            break;
        }
        if (!Continues(last, last_name, next, first_name)) break;
        bool spills = SpillsIntoNext(last) || SpillsFromPrevious(next);
        // A folder cannot change its method on the way.
        if (spills && last.folders.back().type != next.folders.front().type) break;
        last_name = last.next_name;
        set.cabinets.push_back({std::move(input), std::move(next), {}});
        joined.push_back(spills);
        AddFolders(set, spills);
    }
    AddFiles(set, joined);
    return set;
}

}  // namespace quorvex6::backend::cab
