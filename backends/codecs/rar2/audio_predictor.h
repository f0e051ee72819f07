// RAR 2.0's multimedia mode: each byte is coded as its difference from a prediction made by a
// small linear filter over the channel's last deltas, whose weights adapt every 32 bytes toward
// whichever candidate would have erred least.
#pragma once

#include <array>
#include <cstdint>

namespace quorvex6::backend::codecs::rar2 {

inline constexpr unsigned kMaxChannels = 4;

class AudioPredictor {
  public:
    // Forgets every channel (a file that starts a new stream).
    void Reset() { *this = AudioPredictor(); }
    // The byte of `channel` that `delta` (a decoded symbol 0..255) stands for.
    std::uint8_t Decode(unsigned channel, unsigned delta);

  private:
    struct Channel {
        std::array<int, 5> weights{};  // for the last four deltas and the other channel's
        std::array<int, 4> deltas{};   // latest first
        int last_delta = 0;
        int last_byte = 0;
        std::array<unsigned, 11> errors{};
        unsigned count = 0;
    };
    void Adapt(Channel& c);

    std::array<Channel, kMaxChannels> channels_{};
    int cross_delta_ = 0;  // the last delta of whichever channel came before
};

}  // namespace quorvex6::backend::codecs::rar2
