// PPMd variant H, the context model RAR 3.x codes its text-like blocks with (and 7z's PPMd
// method, under another range coder). Decoder side only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "codecs/ppmd/rar_range_decoder.h"
#include "codecs/ppmd/seven_zip_range_decoder.h"
#include "codecs/ppmd/sub_allocator.h"

namespace quorvex6::backend::codecs::ppmd {

inline constexpr int kMinOrder = 2, kMaxOrder = 64;
inline constexpr std::size_t kMinMemory = std::size_t{1} << 20, kMaxMemory = std::size_t{256} << 20;

class ModelH {
  public:
    // Restarts the model (RAR's block header flag 0x20): false when the memory cannot be had
    // or the arguments are out of range (order 2..64, memory 1..256 MiB as RAR declares).
    bool Restart(int max_order, std::size_t memory_bytes);
    bool ready() const { return heap_.allocated(); }

    // The next byte, or -1 on damage (also when the stream escapes past the root context).
    int DecodeSymbol(RarRangeDecoder& rc);
    int DecodeSymbol(SevenZipRangeDecoder& rc);

    // How often memory ran out and the model started over since Restart.
    std::uint64_t restarts() const { return restarts_; }

  private:
    struct State {
        std::uint8_t symbol;
        std::uint8_t freq;
        std::uint16_t successor_low;
        std::uint16_t successor_high;
    };
    struct Context {
        std::uint16_t num_stats;
        std::uint16_t summ_freq;  // with `stats`, the single state of a binary context
        std::uint32_t stats;
        std::uint32_t suffix;
    };
    // Secondary escape estimation: an adaptive escape frequency per class of context.
    struct See {
        std::uint16_t summ;
        std::uint8_t shift;
        std::uint8_t count;
    };

    template <class Coder>
    int Decode(Coder& rc);

    void RestartModel();
    Context* Ctx(std::uint32_t ref) { return heap_.At<Context>(ref); }
    State* Stats(const Context* c) { return heap_.At<State>(c->stats); }
    static State* OneState(Context* c) { return reinterpret_cast<State*>(&c->summ_freq); }
    static std::uint32_t Successor(const State* s) {
        return s->successor_low | static_cast<std::uint32_t>(s->successor_high) << 16;
    }
    static void SetSuccessor(State* s, std::uint32_t ref) {
        s->successor_low = static_cast<std::uint16_t>(ref);
        s->successor_high = static_cast<std::uint16_t>(ref >> 16);
    }

    std::uint16_t& BinaryProbability();
    See* EscapeEstimator(unsigned masked, std::uint32_t& esc_freq);
    static void UpdateSee(See* see);
    void NextContext();
    void UpdateFirst();
    void UpdateLater();
    void UpdateMasked();
    void UpdateBinary();
    void Rescale();
    void UpdateModel();
    std::uint32_t CreateSuccessors(bool skip);

    SubAllocator heap_;
    int max_order_ = 0;
    Context* min_context_ = nullptr;
    Context* max_context_ = nullptr;
    State* found_state_ = nullptr;
    unsigned order_fall_ = 0, init_esc_ = 0, prev_success_ = 0, hi_bits_flag_ = 0;
    std::int32_t run_length_ = 0, init_rl_ = 0;
    std::uint64_t restarts_ = 0;
    See dummy_see_{};
    std::array<std::array<See, 16>, 25> see_{};
    std::array<std::array<std::uint16_t, 64>, 128> bin_summ_{};
};

}  // namespace quorvex6::backend::codecs::ppmd
