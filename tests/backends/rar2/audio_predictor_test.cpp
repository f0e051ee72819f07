// The multimedia predictor's first steps, worked by hand: with all weights still zero it
// predicts the channel's last byte, and each channel keeps its own.
#include "codecs/rar2/audio_predictor.h"

#include <gtest/gtest.h>

namespace quorvex6::backend::codecs::rar2 {
namespace {

TEST(AudioPredictor, PredictsTheLastByteOfItsChannelUntilWeightsMove) {
    struct Step {
        unsigned channel, delta;
        int byte;
    };
    const Step steps[] = {
        {0, 3, 253},   // 0 predicted, 3 below it
        {0, 0, 253},   // the last byte again
        {0, 251, 2},   // 5 above, wrapping
        {1, 0, 0},     // channel 1 starts from nothing
        {1, 200, 56},  // 0 - 200 mod 256
        {0, 0, 2},     // channel 0 kept its own last byte
    };
    AudioPredictor predictor;
    for (const Step& s : steps) EXPECT_EQ(predictor.Decode(s.channel, s.delta), s.byte);
    predictor.Reset();
    EXPECT_EQ(predictor.Decode(0, 0), 0);
}

TEST(AudioPredictor, AConstantSignalStaysConstantThroughAdaptation) {
    // A zero delta costs nothing with the weights as they are, and no nudged weight can do
    // strictly better, so none moves and the byte holds across the 32-byte adaptation points.
    AudioPredictor predictor;
    EXPECT_EQ(predictor.Decode(0, 256 - 77), 77);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(predictor.Decode(0, 0), 77) << i;
}

}  // namespace
}  // namespace quorvex6::backend::codecs::rar2
