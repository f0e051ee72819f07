// Small cabinets made byte by byte for tests: one stored folder, one block, names as given
// (backslashes and all), so that tests can state names and damage no CAB writer would make.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace quorvex6::testing {

struct MadeFile {
    std::string name;  // stored bytes
    std::string data;
    std::uint16_t attributes = 0x20;
    std::uint16_t date = (41 << 9) | (6 << 5) | 15;    // 2021-06-15
    std::uint16_t time = (12 << 11) | (34 << 5) | 28;  // 12:34:56
};

inline void PutLe16(std::string& s, std::uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}

inline void PutLe32(std::string& s, std::uint32_t v) {
    PutLe16(s, v & 0xFFFF);
    PutLe16(s, v >> 16);
}

// `checksum` 0 leaves the block unchecked, as CAB allows.
inline std::string MakeCabinet(const std::vector<MadeFile>& files, std::uint32_t checksum = 0) {
    std::string file_records, data;
    for (const MadeFile& f : files) {
        PutLe32(file_records, static_cast<std::uint32_t>(f.data.size()));
        PutLe32(file_records, static_cast<std::uint32_t>(data.size()));
        PutLe16(file_records, 0);
        PutLe16(file_records, f.date);
        PutLe16(file_records, f.time);
        PutLe16(file_records, f.attributes);
        file_records += f.name;
        file_records += '\0';
        data += f.data;
    }
    const std::uint32_t files_offset = 36 + 8;
    const std::uint32_t data_offset =
        files_offset + static_cast<std::uint32_t>(file_records.size());
    const std::uint32_t total = data_offset + 8 + static_cast<std::uint32_t>(data.size());
    std::string cab = "MSCF";
    PutLe32(cab, 0);
    PutLe32(cab, total);
    PutLe32(cab, 0);
    PutLe32(cab, files_offset);
    PutLe32(cab, 0);
    cab += '\x03';
    cab += '\x01';
    PutLe16(cab, 1);  // folders
    PutLe16(cab, static_cast<std::uint32_t>(files.size()));
    PutLe16(cab, 0);  // flags
    PutLe16(cab, 0x1234);
    PutLe16(cab, 0);
    PutLe32(cab, data_offset);
    PutLe16(cab, 1);  // blocks
    PutLe16(cab, 0);  // stored
    cab += file_records;
    PutLe32(cab, checksum);
    PutLe16(cab, static_cast<std::uint32_t>(data.size()));
    PutLe16(cab, static_cast<std::uint32_t>(data.size()));
    cab += data;
    return cab;
}

}  // namespace quorvex6::testing
