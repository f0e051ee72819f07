// The cabinets of a set read as one: each cabinet that names a next one is followed by it when
// that one's header continues the set, folders that run across cabinets are joined, and every
// file is kept once.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "formats/cab/cab_cabinet.h"
#include "io/random_access.h"

namespace quorvex6::backend::cab {

// Opens a cabinet of the set by the name a header gives; nullptr when there is none.
using CabinetOpener = std::function<std::unique_ptr<io::RandomInput>(const std::string& name)>;

struct SetCabinet {
    std::unique_ptr<io::RandomInput> input;
    Cabinet cabinet;
    std::vector<std::size_t> set_folders;  // each of its folders' index in the set
};

// A folder's part in one cabinet.
struct FolderPiece {
    io::RandomInput* input = nullptr;
    CabFolder folder;
    std::uint8_t data_reserve = 0;
};

struct SetFolder {
    std::vector<FolderPiece> pieces;
    std::uint16_t type = 0;
};

struct SetFile {
    CabFile file;
    std::size_t folder = 0;  // in the set
    // Part of its data lies in a cabinet that was not found, or before the first one read.
    bool incomplete = false;
};

struct CabinetSet {
    std::vector<SetCabinet> cabinets;
    std::vector<SetFolder> folders;
    std::vector<SetFile> files;
};

// The set from the cabinet at `start` in `first` (named `first_name`) onwards. Earlier cabinets
// are not looked for: the previous names that writers store are not to be trusted. Throws what
// ReadCabinet throws for the first cabinet; a next cabinet that is missing, unreadable or of
// another set ends the set there.
CabinetSet JoinCabinets(std::unique_ptr<io::RandomInput> first, std::uint64_t start,
                        const std::string& first_name, const CabinetOpener& open);

// Whether two cabinet names are the same, ASCII letters compared without case.
bool SameCabinetName(const std::string& a, const std::string& b);

}  // namespace quorvex6::backend::cab
