// Cabinet sets made byte by byte for tests: one stored folder running through every cabinet,
// cut where the test says (a block straddling a cut is split there), and headers naming their
// neighbours as given, so that tests can state sets no writer here makes.
#pragma once
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "backends/cab/cabinet_maker.h"
#include "formats/cab/cab_format.h"

namespace quorvex6::testing {

struct SetFile {
    std::string name;
    std::string data;
};

struct SetHeader {
    std::string previous, next;  // empty: no such neighbour
    std::uint16_t set_id = 0x4242;
    std::uint16_t index = 0;
};

// `cuts`: where each cabinet but the last ends in the folder's data; `headers`: one a cabinet.
inline std::vector<std::string> MakeStoredSet(const std::vector<SetFile>& files, std::size_t block,
                                              const std::vector<std::size_t>& cuts,
                                              const std::vector<SetHeader>& headers) {
    std::string stream;
    std::vector<std::size_t> offsets;
    for (const SetFile& f : files) {
        offsets.push_back(stream.size());
        stream += f.data;
    }
    std::vector<std::size_t> bounds = {0};
    bounds.insert(bounds.end(), cuts.begin(), cuts.end());
    bounds.push_back(stream.size());
    const std::size_t count = bounds.size() - 1;
    // Which cabinets hold a piece of the block with byte `at`.
    auto first_cabinet = [&](std::size_t at) {
        std::size_t start = at / block * block;
        return static_cast<std::size_t>(
            std::upper_bound(bounds.begin() + 1, bounds.end() - 1, start) - bounds.begin() - 1);
    };
    auto last_cabinet = [&](std::size_t at) {
        std::size_t end = std::min(stream.size(), (at / block + 1) * block) - 1;
        return static_cast<std::size_t>(
            std::upper_bound(bounds.begin() + 1, bounds.end() - 1, end) - bounds.begin() - 1);
    };
    std::vector<std::string> cabinets;
    for (std::size_t k = 0; k < count; ++k) {
        const SetHeader& h = headers[k];
        std::string names;
        if (!h.previous.empty()) names += h.previous + '\0' + '\0';
        if (!h.next.empty()) names += h.next + '\0' + '\0';
        std::string records;
        std::uint16_t listed = 0;
        for (std::size_t i = 0; i < files.size(); ++i) {
            std::size_t size = files[i].data.size();
            if (size == 0) continue;
            std::size_t from = first_cabinet(offsets[i]);
            std::size_t to = last_cabinet(offsets[i] + size - 1);
            if (k < from || k > to) continue;
            std::uint16_t folder = 0;
            if (k > from && k < to)
                folder = backend::cab::kContinuedBoth;
            else if (k > from)
                folder = backend::cab::kContinuedFromPrevious;
            else if (k < to)
                folder = backend::cab::kContinuedToNext;
            PutLe32(records, static_cast<std::uint32_t>(size));
            PutLe32(records, static_cast<std::uint32_t>(offsets[i]));
            PutLe16(records, folder);
            PutLe16(records, 0x5321);
            PutLe16(records, 0x6000);
            PutLe16(records, 0x20);
            records += files[i].name + '\0';
            ++listed;
        }
        std::string data;
        std::uint16_t blocks = 0;
        for (std::size_t start = bounds[k] / block * block; start < bounds[k + 1]; start += block) {
            std::size_t end = std::min(stream.size(), start + block);
            std::size_t from = std::max(start, bounds[k]), to = std::min(end, bounds[k + 1]);
            std::string piece = stream.substr(from, to - from);
            // A piece that is not the block's last decodes to nothing.
            auto unpacked = static_cast<std::uint16_t>(to == end ? end - start : 0);
            auto packed = static_cast<std::uint16_t>(piece.size());
            PutLe32(data,
                    backend::cab::BlockChecksum(reinterpret_cast<const std::uint8_t*>(piece.data()),
                                                piece.size(), packed, unpacked));
            PutLe16(data, packed);
            PutLe16(data, unpacked);
            data += piece;
            ++blocks;
        }
        const std::uint32_t files_offset = static_cast<std::uint32_t>(36 + names.size() + 8);
        const std::uint32_t data_offset = files_offset + static_cast<std::uint32_t>(records.size());
        std::string c = "MSCF";
        PutLe32(c, 0);
        PutLe32(c, data_offset + static_cast<std::uint32_t>(data.size()));
        PutLe32(c, 0);
        PutLe32(c, files_offset);
        PutLe32(c, 0);
        c += '\x03';
        c += '\x01';
        PutLe16(c, 1);
        PutLe16(c, listed);
        PutLe16(c, (h.previous.empty() ? 0 : backend::cab::kFlagPrevious) |
                       (h.next.empty() ? 0 : backend::cab::kFlagNext));
        PutLe16(c, h.set_id);
        PutLe16(c, h.index);
        c += names;
        PutLe32(c, data_offset);
        PutLe16(c, blocks);
        PutLe16(c, backend::cab::kMethodStore);
        c += records + data;
        cabinets.push_back(std::move(c));
    }
    return cabinets;
}

// Headers of a set of `count` cabinets named `base`1.cab, `base`2.cab, ... linked both ways.
inline std::vector<SetHeader> ChainedHeaders(const std::string& base, std::size_t count) {
    std::vector<SetHeader> headers(count);
    for (std::size_t k = 0; k < count; ++k) {
        headers[k].index = static_cast<std::uint16_t>(k);
        if (k > 0) headers[k].previous = base + std::to_string(k) + ".cab";
        if (k + 1 < count) headers[k].next = base + std::to_string(k + 2) + ".cab";
    }
    return headers;
}

}  // namespace quorvex6::testing
