// CAB's typeCompress to the frame codec rows: each method's window and level reach its row,
// and what no row takes fails as readers of cabinets expect (an unknown LZX window is a
// method we lack, a Quantum window out of range is broken data).
#include "formats/cab/cab_methods.h"

#include <gtest/gtest.h>

#include <optional>

#include "formats/cab/cab_format.h"
#include "io/fault.h"

namespace quorvex6::backend::cab {
namespace {

constexpr std::uint16_t Type(std::uint16_t method, unsigned window_bits, unsigned level = 0) {
    return static_cast<std::uint16_t>(method | window_bits << 8 | level << 4);
}

template <typename Make>
std::optional<io::Fault> FaultOf(Make make) {
    try {
        make();
    } catch (const io::Error& error) {
        return error.fault();
    }
    return std::nullopt;
}

TEST(CabMethods, DecodersForEachTypeOrTheFaultReadersExpect) {
    const struct {
        std::uint16_t type;
        bool stored;
        std::optional<io::Fault> fault;
    } cases[] = {
        {kMethodStore, true, std::nullopt},
        {kMethodMszip, false, std::nullopt},
        {Type(kMethodMszip, 21), false, std::nullopt},  // a window MSZIP does not declare
        {Type(kMethodLzx, 15), false, std::nullopt},
        {Type(kMethodLzx, 21), false, std::nullopt},
        {Type(kMethodLzx, 14), false, io::Fault::kUnknownMethod},
        {Type(kMethodLzx, 22), false, io::Fault::kUnknownMethod},
        {Type(kMethodQuantum, 10, 1), false, std::nullopt},
        {Type(kMethodQuantum, 21, 7), false, std::nullopt},
        {Type(kMethodQuantum, 9, 7), false, io::Fault::kBrokenData},
        {Type(kMethodQuantum, 22, 7), false, io::Fault::kBrokenData},
        {4, false, io::Fault::kUnknownMethod},
        {15, false, io::Fault::kUnknownMethod},
    };
    for (const auto& c : cases) {
        std::unique_ptr<codecs::FrameDecoder> decoder;
        EXPECT_EQ(FaultOf([&] { decoder = MakeFrameDecoder(c.type); }), c.fault) << c.type;
        if (!c.fault) {
            EXPECT_EQ(decoder == nullptr, c.stored) << c.type;
        }
    }
}

TEST(CabMethods, EncodersOnlyForSetupsTheirRowsTake) {
    const struct {
        std::uint16_t type;
        int level;
        bool stored;
        std::optional<io::Fault> fault;
    } cases[] = {
        {kMethodStore, 0, true, std::nullopt},
        {kMethodMszip, -1, false, std::nullopt},
        {kMethodMszip, 9, false, std::nullopt},
        {kMethodMszip, 10, false, io::Fault::kUnknownMethod},
        {Type(kMethodLzx, 21), 0, false, std::nullopt},
        {Type(kMethodLzx, 22), 0, false, io::Fault::kUnknownMethod},
        {Type(kMethodQuantum, 21, 7), 0, false, std::nullopt},
        {Type(kMethodQuantum, 21, 0), 0, false, io::Fault::kUnknownMethod},
        {Type(kMethodQuantum, 21, 8), 0, false, io::Fault::kUnknownMethod},
        {4, 0, false, io::Fault::kUnknownMethod},
    };
    for (const auto& c : cases) {
        std::unique_ptr<codecs::FrameEncoder> encoder;
        EXPECT_EQ(FaultOf([&] { encoder = MakeFrameEncoder(c.type, c.level); }), c.fault)
            << c.type << " level " << c.level;
        if (!c.fault) {
            EXPECT_EQ(encoder == nullptr, c.stored) << c.type;
        }
    }
    EXPECT_EQ(EncoderFootprint(kMethodStore), 0u);
    EXPECT_GT(EncoderFootprint(Type(kMethodQuantum, 21, 7)),
              EncoderFootprint(Type(kMethodQuantum, 10, 7)));
}

}  // namespace
}  // namespace quorvex6::backend::cab
