#include "codecs/lzx/lzx_decoder.h"

#include <algorithm>
#include <cstring>

#include "codecs/lzx/lzx_e8.h"

namespace quorvex6::backend::codecs::lzx {

Decoder::Decoder(unsigned window_bits)
    : window_size_(std::uint32_t{1} << window_bits),
      main_symbols_(kNumChars + kLengthHeaders * SlotsFor(window_bits)),
      window_(new std::uint8_t[window_size_]),
      main_(10, kMaxMainSymbols),
      length_(8, kLengthSymbols),
      aligned_(7, kAlignedSymbols),
      pretree_(8, kPretreeSymbols) {
    Reset();
}

void Decoder::Reset() {
    window_at_ = 0;
    position_ = 0;
    frames_ = 0;
    broken_ = false;
    header_read_ = false;
    e8_size_ = 0;
    block_length_ = block_left_ = 0;
    repeats_ = {1, 1, 1};
    main_lengths_.fill(0);
    length_lengths_.fill(0);
}

Status Decoder::DecodeFrame(std::span<const std::uint8_t> in, std::span<std::uint8_t> out) {
    if (broken_ || out.empty() || out.size() > kFrameSize || window_at_ + out.size() > window_size_)
        return Status::kCorrupt;
    broken_ = true;  // until the frame is whole
    BitReader bits(in);
    if (!header_read_) {
        if (bits.Read(1) != 0) {
            e8_size_ = bits.Read(16) << 16;
            e8_size_ |= bits.Read(16);
        }
        header_read_ = true;
    }
    frame_start_ = window_at_;
    std::uint32_t frame_end = window_at_ + static_cast<std::uint32_t>(out.size());
    while (window_at_ != frame_end) {
        if (block_left_ == 0 && !ReadBlockHeader(bits)) return Status::kCorrupt;
        std::uint32_t count = std::min(block_left_, frame_end - window_at_);
        bool ok = type_ == BlockType::kUncompressed ? CopyStored(bits, count)
                                                    : DecodeSymbols(bits, count);
        if (!ok) return Status::kCorrupt;
        block_left_ -= count;
        // An odd stored block is followed by a pad byte, when the frame holds it.
        if (type_ == BlockType::kUncompressed && block_left_ == 0 && (block_length_ & 1) != 0 &&
            bits.BytesLeft() != 0)
            bits.TakeBytes(1);
    }
    bits.Align(false);
    if (bits.Overran()) return Status::kTruncated;

    std::memcpy(out.data(), window_.get() + frame_end - out.size(), out.size());
    if (e8_size_ != 0 && frames_ < kE8FrameLimit)
        E8Decode(out, static_cast<std::uint32_t>(position_), e8_size_);
    position_ += out.size();
    window_at_ = frame_end & (window_size_ - 1);
    ++frames_;
    broken_ = false;
    return Status::kOk;
}

bool Decoder::ReadBlockHeader(BitReader& in) {
    auto type = in.Read(3);
    block_length_ = in.Read(16) << 8;
    block_length_ |= in.Read(8);
    block_left_ = block_length_;
    if (in.Overran()) return false;
    switch (type) {
        case static_cast<unsigned>(BlockType::kVerbatim):
        case static_cast<unsigned>(BlockType::kAligned):
            type_ = static_cast<BlockType>(type);
            return ReadTrees(in, type_ == BlockType::kAligned);
        case static_cast<unsigned>(BlockType::kUncompressed): {
            type_ = BlockType::kUncompressed;
            in.Align(true);
            const std::uint8_t* r = in.TakeBytes(4 * kRepeatOffsets);
            if (r == nullptr) return false;
            for (unsigned i = 0; i < kRepeatOffsets; ++i)
                repeats_[i] = r[4 * i] | (r[4 * i + 1] << 8) | (r[4 * i + 2] << 16) |
                              (std::uint32_t{r[4 * i + 3]} << 24);
            return true;
        }
        default:
            return false;
    }
}

bool Decoder::ReadTrees(BitReader& in, bool aligned) {
    if (aligned) {
        std::array<std::uint8_t, kAlignedSymbols> lengths{};
        for (std::uint8_t& length : lengths) length = static_cast<std::uint8_t>(in.Read(3));
        if (!aligned_.Build(lengths, false)) return false;
    }
    if (!ReadLengths(in, main_lengths_.data(), 0, kNumChars) ||
        !ReadLengths(in, main_lengths_.data(), kNumChars, main_symbols_) ||
        !main_.Build(std::span(main_lengths_.data(), main_symbols_), false))
        return false;
    if (!ReadLengths(in, length_lengths_.data(), 0, kLengthSymbols) ||
        !length_.Build(std::span(length_lengths_.data(), kLengthSymbols), true))
        return false;
    return !in.Overran();
}

bool Decoder::ReadLengths(BitReader& in, std::uint8_t* lengths, unsigned first, unsigned last) {
    std::array<std::uint8_t, kPretreeSymbols> pre{};
    for (std::uint8_t& length : pre) length = static_cast<std::uint8_t>(in.Read(4));
    if (!pretree_.Build(pre, false)) return false;
    auto changed = [](std::uint8_t old, int delta) {
        return static_cast<std::uint8_t>((old + 17 - delta) % 17);
    };
    unsigned x = first;
    while (x < last) {
        int sym = pretree_.Decode(in);
        unsigned run = 0;
        std::uint8_t value = 0;
        if (sym == 17) {
            run = 4 + in.Read(4);
        } else if (sym == 18) {
            run = 20 + in.Read(5);
        } else if (sym == 19) {
            run = 4 + in.Read(1);
            int delta = pretree_.Decode(in);
            if (delta < 0 || delta > 16) return false;
            value = changed(lengths[x], delta);
        } else if (sym >= 0) {
            lengths[x] = changed(lengths[x], sym);
            ++x;
            continue;
        } else {
            return false;
        }
        std::fill_n(lengths + x, run, value);
        x += run;
        if (in.Overran()) return false;
    }
    return true;
}

inline bool Decoder::CopyMatch(std::uint32_t offset, std::uint32_t length) {
    std::uint64_t decoded = position_ + (window_at_ - frame_start_);
    if (offset == 0 || offset > window_size_ || offset > decoded) return false;
    std::uint8_t* window = window_.get();
    std::uint8_t* dst = window + window_at_;
    if (offset <= window_at_) {
        const std::uint8_t* src = dst - offset;
        std::uint32_t i = 0;
        // Eight bytes at a time when they do not overlap; never past the match, whose end may
        // be the oldest history still wanted.
        if (offset >= 8) {
            for (; i + 8 <= length; i += 8) {
                std::uint64_t v = 0;
                std::memcpy(&v, src + i, sizeof v);
                std::memcpy(dst + i, &v, sizeof v);
            }
        }
        for (; i < length; ++i) dst[i] = src[i];
    } else {
        std::uint32_t src = window_at_ + window_size_ - offset;
        for (std::uint32_t i = 0; i < length; ++i) dst[i] = window[(src + i) & (window_size_ - 1)];
    }
    window_at_ += length;
    return true;
}

bool Decoder::DecodeSymbols(BitReader& in, std::uint32_t count) {
    const bool aligned = type_ == BlockType::kAligned;
    std::uint8_t* window = window_.get();
    std::uint32_t end = window_at_ + count;
    while (window_at_ < end) {
        int sym = main_.Decode(in);
        if (sym < 0) return false;
        if (sym < static_cast<int>(kNumChars)) {
            window[window_at_++] = static_cast<std::uint8_t>(sym);
            continue;
        }
        auto m = static_cast<unsigned>(sym) - kNumChars;
        std::uint32_t length = m & 7;
        if (length == 7) {
            int more = length_.Decode(in);
            if (more < 0) return false;
            length += static_cast<std::uint32_t>(more);
        }
        length += kMinMatch;
        unsigned slot = m >> 3;
        std::uint32_t offset = 0;
        if (slot < kRepeatOffsets) {
            offset = repeats_[slot];
            repeats_[slot] = repeats_[0];
            repeats_[0] = offset;
        } else {
            unsigned extra = kSlots.extra[slot];
            std::uint32_t footer = 0;
            if (aligned && extra >= kAlignedBits) {
                footer = in.Read(extra - kAlignedBits) << kAlignedBits;
                int low = aligned_.Decode(in);
                if (low < 0) return false;
                footer |= static_cast<std::uint32_t>(low);
            } else {
                footer = in.Read(extra);
            }
            offset = kSlots.base[slot] + footer - 2;
            repeats_[2] = repeats_[1];
            repeats_[1] = repeats_[0];
            repeats_[0] = offset;
        }
        if (length > end - window_at_ || !CopyMatch(offset, length)) return false;
    }
    return !in.Overran();
}

bool Decoder::CopyStored(BitReader& in, std::uint32_t count) {
    const std::uint8_t* p = in.TakeBytes(count);
    if (p == nullptr) return false;
    std::memcpy(window_.get() + window_at_, p, count);
    window_at_ += count;
    return true;
}

}  // namespace quorvex6::backend::codecs::lzx
