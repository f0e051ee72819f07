#include "codecs/lzx/lzx_encoder.h"

#include <cstring>

#include "codecs/lzx/lzx_e8.h"

namespace quorvex6::backend::codecs::lzx {

namespace {

// Frames one block may hold before it is written: their items wait in memory.
constexpr std::size_t kMaxHeldFrames = 16;

}  // namespace

Encoder::Encoder(unsigned window_bits)
    : matcher_(window_bits),
      main_symbols_(kNumChars + kLengthHeaders * SlotsFor(window_bits)),
      block_(main_symbols_) {
    held_.resize(kMaxHeldFrames);
    Reset();
}

void Encoder::Reset() {
    matcher_.Reset();
    position_ = 0;
    frames_ = 0;
    started_ = false;
    repeats_ = {1, 1, 1};
    main_lengths_.fill(0);
    length_lengths_.fill(0);
    held_count_ = 0;
}

void Encoder::EncodeFrame(std::span<const std::uint8_t> in, std::vector<PackedFrame>& done) {
    std::span<std::uint8_t> frame = matcher_.NextFrame(in.size());
    std::memcpy(frame.data(), in.data(), in.size());
    if (frames_ < kE8FrameLimit)
        E8Encode(frame, static_cast<std::uint32_t>(position_), kE8FileSize);
    position_ += in.size();
    ++frames_;

    if (held_count_ == kMaxHeldFrames) FlushBlock(done);
    const std::size_t slot = held_count_;
    Held& held = held_[slot];
    const auto start_repeats = repeats_;
    matcher_.Match(repeats_, held.items);
    held.size = static_cast<std::uint32_t>(in.size());

    const std::span<const std::uint8_t> main(main_lengths_.data(), main_symbols_);
    BlockPlan alone(main_symbols_);
    alone.Count(held.items);
    std::uint64_t alone_bits = alone.Build(main, length_lengths_);
    const std::uint64_t stored_bits = 3 + 24 + 16 + 8 * (4 * kRepeatOffsets + in.size() + 1);
    if (alone_bits >= stored_bits) {
        FlushBlock(done);
        repeats_ = start_repeats;
        WriteStored(frame, repeats_, done);
        return;
    }
    if (held_count_ != 0) {
        BlockPlan joined = block_;
        joined.Count(alone);
        std::uint64_t joined_bits = joined.Build(main, length_lengths_);
        if (joined_bits <= block_bits_ + alone_bits) {
            block_ = joined;
            block_bits_ = joined_bits;
            ++held_count_;
            return;
        }
        FlushBlock(done);
        std::swap(held_[0], held_[slot]);
    }
    block_ = alone;
    block_bits_ = alone_bits;
    held_count_ = 1;
}

void Encoder::Finish(std::vector<PackedFrame>& done) { FlushBlock(done); }

BitWriter Encoder::StartFrame(std::vector<PackedFrame>& done, std::uint32_t size) {
    done.push_back({{}, size});
    BitWriter bits(done.back().bytes);
    if (!started_) {
        bits.Write(1, 1);
        bits.Write(kE8FileSize >> 16, 16);
        bits.Write(kE8FileSize & 0xFFFF, 16);
        started_ = true;
    }
    return bits;
}

void Encoder::FlushBlock(std::vector<PackedFrame>& done) {
    if (held_count_ == 0) return;
    std::span<const std::uint8_t> main(main_lengths_.data(), main_symbols_);
    block_.Build(main, length_lengths_);
    std::uint32_t size = 0;
    for (std::size_t i = 0; i < held_count_; ++i) size += held_[i].size;
    for (std::size_t i = 0; i < held_count_; ++i) {
        BitWriter bits = StartFrame(done, held_[i].size);
        if (i == 0) block_.WriteHeader(size, bits);
        block_.WriteItems(held_[i].items, bits);
        bits.Align(false);
    }
    auto lengths = block_.main_lengths();
    std::copy(lengths.begin(), lengths.end(), main_lengths_.begin());
    length_lengths_ = block_.length_lengths();
    held_count_ = 0;
}

void Encoder::WriteStored(std::span<const std::uint8_t> frame,
                          const std::array<std::uint32_t, kRepeatOffsets>& repeats,
                          std::vector<PackedFrame>& done) {
    const auto size = static_cast<std::uint32_t>(frame.size());
    BitWriter bits = StartFrame(done, size);
    WriteBlockHeader(BlockType::kUncompressed, size, bits);
    bits.Align(true);
    std::vector<std::uint8_t>& out = done.back().bytes;
    for (std::uint32_t r : repeats)
        for (unsigned i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(r >> (8 * i)));
    out.insert(out.end(), frame.begin(), frame.end());
    if (size % 2 != 0) out.push_back(0);
}

}  // namespace quorvex6::backend::codecs::lzx
