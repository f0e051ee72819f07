// BLAKE2sp against vectors from an independent BLAKE2s (Python's hashlib with the tree
// parameters), fed whole and in uneven pieces that cross the leaves' stripes.
#include "io/blake2sp.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace quorvex6::backend::io {
namespace {

std::string Hex(const Blake2spDigest& d) {
    std::string s;
    char b[3];
    for (std::uint8_t x : d) {
        std::snprintf(b, sizeof b, "%02x", x);
        s += b;
    }
    return s;
}

TEST(Blake2sp, KnownVectorsWholeAndInPieces) {
    struct Case {
        std::size_t size;
        const char* digest;
    };
    const Case cases[] = {
        {0, "dd0e891776933f43c7d032b08a917e25741f8aa9a12c12e1cac8801500f2ca4f"},
        {1, "a6b9eecc25227ad788c99d3f236debc8da408849e9a5178978727a81457f7239"},
        {64, "52603b6cbfad4966cb044cb267568385cf35f21e6c45cf30aed19832cb51e9f5"},
        {65, "fff24d3cc729d395daf978b0157306cb495797e6c8dca1731d2f6f81b849baae"},
        {511, "8e1e8ee1ffa0a01028fff3bff0ae9df2565a82e55a04e9541bb78b9c4778336f"},
        {512, "8d9e357863298dd8364b7caf4234317f8a49f180d788b7abffb521925f1e1ff1"},
        {513, "8a4bc3330497e681f15daf24fc496044a1c32bf0a837a210399e1ae4af7e92be"},
        {1000, "611f1af6610cdaf674ec2c9178f6376ebe234ef50998a3be3f1fa698fb779274"},
        {4103, "fc4dec1ed1e6c64fd11cd349b58c222f6ecd43d0f45e83d986a227ff87ab3a9d"},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> data(c.size);
        for (std::size_t i = 0; i < c.size; ++i) data[i] = static_cast<std::uint8_t>(i % 251);
        Blake2sp whole;
        whole.Update(data.data(), data.size());
        EXPECT_EQ(Hex(whole.Final()), c.digest) << c.size;
        Blake2sp pieces;
        for (std::size_t at = 0, step = 1; at < data.size(); at += step, step = step * 3 % 97 + 1)
            pieces.Update(data.data() + at, std::min(step, data.size() - at));
        EXPECT_EQ(Hex(pieces.Final()), c.digest) << c.size << " in pieces";
    }
}

}  // namespace
}  // namespace quorvex6::backend::io
