// Quantum on its own (models, frames) and through the reader (makecab's folder, crafted ones).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "backends/lha/memory_bytes.h"
#include "codecs/quantum/quantum.h"
#include "codecs/quantum/quantum_total_division.h"
#include "formats/cab/cab_reader.h"
#include "io/fault.h"
#include "io/memory.h"

namespace quorvex6::backend::codecs::quantum {
namespace {

using ::quorvex6::backend::codecs::Status;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadCabinet(const std::string& name) {
    const char* dir = std::getenv("QV_TEST_DATA");
    std::ifstream in(std::filesystem::path(dir ? dir : "tests/data") / "cab" / "libmspack" / name,
                     std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::vector<unsigned> Order(const Model& m) {
    std::vector<unsigned> order;
    for (unsigned k = 0; k < m.Size(); ++k) order.push_back(m.SymbolAt(k));
    return order;
}

TEST(QuantumModel, StartsUniformAndCountsInEights) {
    Model m(64, 4);
    EXPECT_EQ(m.Total(), 4u);
    EXPECT_EQ(m.SymbolAt(0), 64u);
    m.Update(2);
    EXPECT_EQ(m.Total(), 12u);
    EXPECT_EQ(m.Cumulative(2), 10u);
    EXPECT_EQ(m.Cumulative(3), 1u);
    EXPECT_EQ(m.Find(9), 2u);
    EXPECT_EQ(m.Find(0), 3u);
}

TEST(QuantumModel, HalvesThreeTimesThenSortsKeepingTies) {
    // Symbol 2 seen always: three halvings keep the order, the fourth rescale sorts. The other
    // symbols tie, and the exchange sort (not a stable one) leaves them as 1, 0, 3.
    Model m(0, 4);
    unsigned rescales = 0;
    std::vector<unsigned> order_before_sort;
    while (rescales < 4) {
        unsigned k = 0;
        while (m.SymbolAt(k) != 2) ++k;
        unsigned before = m.Total();
        m.Update(k);
        if (m.Total() < before) {
            ++rescales;
            if (rescales == 3) order_before_sort = Order(m);
        }
    }
    EXPECT_EQ(order_before_sort, (std::vector<unsigned>{0, 1, 2, 3}));
    EXPECT_EQ(Order(m), (std::vector<unsigned>{2, 1, 0, 3}));
    for (unsigned k = 0; k < m.Size(); ++k) EXPECT_GT(m.Cumulative(k), m.Cumulative(k + 1)) << k;
}

TEST(QuantumModel, FindAgreesWithASearchInEveryState) {
    // Sizes on both sides of a vector's eight counts; updates drive every model through many
    // halvings and sorts.
    for (unsigned size : {1u, 7u, 8u, 9u, 27u, 42u, 64u}) {
        Model m(0, size);
        std::uint32_t x = size;
        for (int step = 0; step < 3000; ++step) {
            for (unsigned target = 0; target < m.Total() + 3; ++target) {
                unsigned k = 0;
                while (k + 1 < m.Size() && m.Cumulative(k + 1) > target) ++k;
                ASSERT_EQ(m.Find(target), k) << size << " " << step << " " << target;
            }
            x = x * 1103515245 + 12345;
            // Skewed towards the first entries, so that the model sorts.
            unsigned k = (x >> 16) % size;
            m.Update(k * k / size);
        }
    }
}

TEST(QuantumTotalDivision, ExactForEveryTotalAndCount) {
    // The largest ranges give the largest products, where a reciprocal's error shows first;
    // 0x4002 is the smallest range a decoder divides.
    for (std::uint32_t range : {1u, 0x4002u, 0xFFFFu, 0x10000u})
        for (unsigned total = 1; total <= Model::kTotalLimit; ++total)
            for (std::uint32_t count = 0; count <= total; ++count)
                ASSERT_EQ(ScaleByTotal(count, range, total), std::uint64_t{count} * range / total)
                    << count << " * " << range << " / " << total;
}

TEST(QuantumFrames, DamageIsRefusedCleanly) {
    struct Case {
        const char* name;
        Bytes in;
        std::size_t out;
        Status expected;
    };
    const Case cases[] = {
        {"frame above 32 KiB", Bytes(16, 0x55), kFrameLimit + 1, Status::kCorrupt},
        {"no data for a long frame", {}, 4096, Status::kTruncated},
    };
    for (const Case& c : cases) {
        FrameDecoder decoder(10);
        Bytes out(c.out);
        EXPECT_EQ(decoder.Decode(c.in, out), c.expected) << c.name;
    }
}

TEST(QuantumFrames, EveryWindowSizeDecodesNoise) {
    Bytes noise(2048);
    std::uint32_t x = 1;
    for (auto& b : noise) b = static_cast<std::uint8_t>((x = x * 1103515245 + 12345) >> 24);
    for (unsigned bits = kMinWindowBits; bits <= kMaxWindowBits; ++bits) {
        FrameDecoder decoder(bits);
        Bytes out(kFrameLimit);
        Status s = decoder.Decode(noise, out);
        EXPECT_TRUE(s == Status::kCorrupt || s == Status::kTruncated || s == Status::kOk) << bits;
    }
}

std::string ExtractEntry(const Bytes& cabinet, std::size_t index) {
    cab::CabReader reader(std::make_unique<lha::test::MemoryInput>(cabinet));
    Bytes out;
    io::VectorSink sink(out);
    cab::EntryDecoder(reader).Extract(reader.entries().at(index), sink);
    return std::string(out.begin(), out.end());
}

TEST(QuantumCabinets, MakecabsFolderAsCabextractGivesIt) {
    EXPECT_EQ(ExtractEntry(ReadCabinet("mszip_lzx_qtm.cab"), 2),
              "If you can read this, the Quantum decompressor is working!\n");
}

TEST(QuantumCabinets, CraftedOnesGiveAFault) {
    struct Case {
        const char* name;
        io::Fault fault;
    };
    const Case cases[] = {
        {"cve-2014-9556-qtm-infinite-loop.cab", io::Fault::kBrokenHeader},
        {"cve-2018-18584-qtm-max-size-block.cab", io::Fault::kBrokenData},
    };
    for (const Case& c : cases) {
        try {
            ExtractEntry(ReadCabinet(c.name), 0);
            ADD_FAILURE() << c.name << ": no fault";
        } catch (const io::Error& error) {
            EXPECT_EQ(error.fault(), c.fault) << c.name << ": " << error.what();
        }
    }
}

}  // namespace
}  // namespace quorvex6::backend::codecs::quantum
