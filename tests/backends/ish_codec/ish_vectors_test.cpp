// The reference vectors: every input encoded as the reference tool encoded it, every encoding
// decoded back, every damaged file repaired or refused as that tool did.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "backends/ish_codec/ish_support.h"

namespace quorvex6::backend::codecs::ish::test {
namespace {

struct VariantDir {
    Variant variant;
    const char* dir;
};
constexpr VariantDir kDirs[] = {{Variant::kJis7, "jis7"},
                                {Variant::kJis8, "jis8"},
                                {Variant::kShiftJis, "sjis"},
                                {Variant::kNonKana, "njis"}};
const char* const kInputs[] = {"e0.bin", "e1.bin", "t100.txt", "r5000.bin", "README.TXT"};

std::string base_of(const std::string& name) { return name.substr(0, name.find('.')); }

class Vectors : public ::testing::TestWithParam<std::tuple<VariantDir, const char*>> {
  protected:
    Variant variant() const { return std::get<0>(GetParam()).variant; }
    std::string input() const { return std::get<1>(GetParam()); }
    std::string vector_path() const {
        return data_path(std::string(std::get<0>(GetParam()).dir) + "/" + base_of(input()) +
                         ".ish");
    }
};

TEST_P(Vectors, EncodingMatchesTheReferenceLineForLine) {
    Bytes data = read_file(data_path("inputs/" + input()));
    std::vector<std::string> ours =
        split_lines(encode(info_for(input(), data.size(), variant()), data, 999));
    std::vector<std::string> theirs = split_lines(read_file(vector_path()));
    ASSERT_EQ(ours.size(), theirs.size());
    // The first line is free-form: ours names our program where theirs names itself.
    const std::string& first = theirs[0];
    std::string before_program = first.substr(0, first.find(" ] ") + 3);
    EXPECT_EQ(ours[0].rfind(before_program + "quorvex6 Ver", 0), 0U) << ours[0];
    EXPECT_TRUE(ours[0].ends_with(" >>>")) << ours[0];
    for (std::size_t i = 1; i < theirs.size(); ++i)
        EXPECT_EQ(ours[i], theirs[i]) << "line " << i + 1;
}

TEST_P(Vectors, DecodesToTheInputWithItsHeader) {
    Bytes data = read_file(data_path("inputs/" + input()));
    std::vector<Decoded> files = decode_all(read_file(vector_path()), 333);
    ASSERT_EQ(files.size(), 1U);
    const Decoded& f = files[0];
    EXPECT_EQ(f.status, Status::kOk);
    EXPECT_EQ(f.data, data);
    EXPECT_EQ(f.info.name, input());
    EXPECT_EQ(f.info.short_name, input());
    EXPECT_EQ(f.info.size, data.size());
    EXPECT_EQ(f.info.dos_time, kVectorTime);
    EXPECT_EQ(f.info.zone_west, 0);
    EXPECT_EQ(f.info.os, kOsUnix);
    EXPECT_EQ(f.info.variant, variant());
    EXPECT_EQ(f.info.volume, 0);
    EXPECT_EQ(f.report.lost_lines, 0U);
}

INSTANTIATE_TEST_SUITE_P(AllVariants, Vectors,
                         ::testing::Combine(::testing::ValuesIn(kDirs),
                                            ::testing::ValuesIn(kInputs)),
                         [](const auto& info) {
                             std::string name = std::string(std::get<0>(info.param).dir) + "_" +
                                                base_of(std::get<1>(info.param));
                             std::replace(name.begin(), name.end(), '.', '_');
                             return name;
                         });

struct DamagedCase {
    const char* file;
    const char* input;
    Status status;
    Fault fault;
    std::uint64_t lost_lines;       // made good, when the file decodes
    std::vector<std::size_t> lost;  // of the block that fails, when it does not
};

TEST(DamagedVectors, RepairedOrRefusedAsTheReferenceDid) {
    const DamagedCase cases[] = {
        {"r5000-jis7-lost1.ish", "r5000.bin", Status::kOk, Fault::kNone, 1, {}},
        {"r5000-jis7-garbled2.ish", "r5000.bin", Status::kOk, Fault::kNone, 2, {}},
        {"r5000-jis7-data-and-vertical.ish", "r5000.bin", Status::kOk, Fault::kNone, 2, {}},
        {"r5000-jis7-header-copies.ish", "r5000.bin", Status::kOk, Fault::kNone, 0, {}},
        {"r5000-jis7-lost3-unrepairable.ish",
         "r5000.bin",
         Status::kCorrupt,
         Fault::kUnrepairableBlock,
         0,
         {6, 16, 26}},
        {"r5000-sjis-garbled2.ish", "r5000.bin", Status::kOk, Fault::kNone, 2, {}},
        {"t100-jis7-lost2.ish", "t100.txt", Status::kOk, Fault::kNone, 2, {}},
    };
    for (const DamagedCase& c : cases) {
        SCOPED_TRACE(c.file);
        std::vector<Decoded> files =
            decode_all(read_file(data_path(std::string("damaged/") + c.file)));
        ASSERT_EQ(files.size(), 1U);
        const Decoded& f = files[0];
        EXPECT_EQ(f.status, c.status);
        EXPECT_EQ(f.report.fault, c.fault);
        EXPECT_EQ(f.info.name, c.input);
        if (c.status == Status::kOk) {
            EXPECT_EQ(f.data, read_file(data_path(std::string("inputs/") + c.input)));
            EXPECT_EQ(f.report.lost_lines, c.lost_lines);
        } else {
            EXPECT_EQ(f.report.blocks, 0U);
            EXPECT_EQ(f.report.lost, c.lost);
        }
    }
}

}  // namespace
}  // namespace quorvex6::backend::codecs::ish::test
