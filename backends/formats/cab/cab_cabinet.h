// One cabinet file's headers as read: CFHEADER with its reserve sizes and set names, the
// folders and the files in stored order.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "io/random_access.h"

namespace quorvex6::backend::cab {

struct CabFolder {
    std::uint64_t data_offset = 0;  // of its first CFDATA, in the file
    std::uint16_t blocks = 0;
    std::uint16_t type = 0;  // typeCompress
};

struct CabFile {
    std::string raw_name;  // as stored
    std::uint32_t size = 0;
    std::uint32_t folder_offset = 0;
    std::uint16_t folder = 0;  // iFolder, special values included
    std::uint16_t date = 0;
    std::uint16_t time = 0;
    std::uint16_t attributes = 0;
};

struct Cabinet {
    std::uint64_t start = 0;  // where CFHEADER is in the file
    std::uint64_t size = 0;   // cbCabinet
    std::uint16_t flags = 0;
    std::uint16_t set_id = 0;
    std::uint16_t index = 0;
    std::uint8_t folder_reserve = 0;
    std::uint8_t data_reserve = 0;
    std::string previous_name, next_name;
    std::vector<CabFolder> folders;
    std::vector<CabFile> files;
};

// Reads the headers of the cabinet at `start`; throws io::Error (kBrokenHeader for anything
// impossible or cut short).
Cabinet ReadCabinet(io::RandomInput& input, std::uint64_t start);

}  // namespace quorvex6::backend::cab
