#include "codecs/rar2/audio_predictor.h"

#include <cstdlib>

namespace quorvex6::backend::codecs::rar2 {

std::uint8_t AudioPredictor::Decode(unsigned channel, unsigned delta) {
    Channel& c = channels_[channel % kMaxChannels];
    ++c.count;
    c.deltas[3] = c.deltas[2];
    c.deltas[2] = c.deltas[1];
    c.deltas[1] = c.last_delta - c.deltas[0];
    c.deltas[0] = c.last_delta;
    int predicted = 8 * c.last_byte + c.weights[4] * cross_delta_;
    for (unsigned i = 0; i < 4; ++i) predicted += c.weights[i] * c.deltas[i];
    predicted = (predicted >> 3) & 0xFF;
    const auto byte = static_cast<std::uint8_t>(predicted - static_cast<int>(delta));

    // How each weight nudged one step up or down would have done on this byte.
    const int d = static_cast<std::int8_t>(delta) * 8;
    c.errors[0] += static_cast<unsigned>(std::abs(d));
    const int others[5] = {c.deltas[0], c.deltas[1], c.deltas[2], c.deltas[3], cross_delta_};
    for (unsigned i = 0; i < 5; ++i) {
        c.errors[1 + 2 * i] += static_cast<unsigned>(std::abs(d - others[i]));
        c.errors[2 + 2 * i] += static_cast<unsigned>(std::abs(d + others[i]));
    }
    cross_delta_ = c.last_delta = static_cast<std::int8_t>(byte - c.last_byte);
    c.last_byte = byte;
    if ((c.count & 0x1F) == 0) Adapt(c);
    return byte;
}

void AudioPredictor::Adapt(Channel& c) {
    unsigned best = 0;
    unsigned least = c.errors[0];
    c.errors[0] = 0;
    for (unsigned i = 1; i < c.errors.size(); ++i) {
        if (c.errors[i] < least) {
            least = c.errors[i];
            best = i;
        }
        c.errors[i] = 0;
    }
    if (best == 0) return;
    int& weight = c.weights[(best - 1) / 2];
    if (best % 2 == 1) {
        if (weight >= -16) --weight;
    } else {
        if (weight < 16) ++weight;
    }
}

}  // namespace quorvex6::backend::codecs::rar2
