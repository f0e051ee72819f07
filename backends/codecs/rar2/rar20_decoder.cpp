#include "codecs/rar2/rar20_decoder.h"

#include <algorithm>
#include <array>
#include <vector>

#include "codecs/lh/bit_reader.h"
#include "codecs/lh/huffman_decoder.h"
#include "codecs/rar2/audio_predictor.h"

namespace quorvex6::backend::codecs::rar2 {
namespace {

using lh::BitReader;
using lh::HuffmanDecoder;
using ::quorvex6::backend::codecs::MemberSetup;
using ::quorvex6::backend::codecs::Sink;
using ::quorvex6::backend::codecs::Source;
using ::quorvex6::backend::codecs::Status;

constexpr unsigned kLevelCodes = 19, kMainCodes = 298, kDistanceCodes = 48, kRepeatCodes = 28;
constexpr unsigned kAudioCodes = 257;
constexpr unsigned kTableSize = kAudioCodes * kMaxChannels;  // the larger of the two layouts
constexpr unsigned kFastBits = 10;
constexpr std::uint64_t kMinWindow = std::uint64_t{1} << 20;
constexpr unsigned kMaxMatch = 255 + 3 + 3;

constexpr std::array<std::uint8_t, 28> kLengthBase = {0,  1,  2,  3,   4,   5,   6,   7,  8,  10,
                                                      12, 14, 16, 20,  24,  28,  32,  40, 48, 56,
                                                      64, 80, 96, 112, 128, 160, 192, 224};
constexpr std::array<std::uint8_t, 28> kLengthBits = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,
                                                      2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};
constexpr std::array<std::uint32_t, 48> kDistanceBase = [] {
    std::array<std::uint32_t, 48> base{};
    std::uint32_t at = 0;
    for (unsigned i = 0; i < base.size(); ++i) {
        base[i] = at;
        const unsigned bits = i < 4 ? 0 : i < 36 ? (i - 2) / 2 : 16;
        at += 1u << bits;
    }
    return base;
}();
constexpr std::array<std::uint8_t, 48> kDistanceBits = [] {
    std::array<std::uint8_t, 48> bits{};
    for (unsigned i = 0; i < bits.size(); ++i)
        bits[i] = static_cast<std::uint8_t>(i < 4 ? 0 : i < 36 ? (i - 2) / 2 : 16);
    return bits;
}();
constexpr std::array<std::uint8_t, 8> kShortBase = {0, 4, 8, 16, 32, 64, 128, 192};
constexpr std::array<std::uint8_t, 8> kShortBits = {2, 2, 3, 4, 5, 6, 6, 6};

struct Failed {
    Status status;
};

class Rar20Decoder : public ::quorvex6::backend::codecs::Decoder {
  public:
    bool prepare(const MemberSetup& setup) override {
        if (setup.window_size > kMaxWindow) return false;
        if (setup.continues_stream && window_.empty()) return false;
        continues_ = setup.continues_stream;
        std::uint64_t size = kMinWindow;
        while (size < setup.window_size) size <<= 1;
        if (continues_) return size <= window_.size();
        if (size != window_.size()) window_.resize(static_cast<std::size_t>(size));
        return true;
    }

    Status decode(Source& in, std::uint64_t packed_size, std::uint64_t unpacked_size,
                  Sink& out) override {
        if (!continues_) Reset();
        continues_ = false;
        BitReader bits(in, packed_size);
        try {
            if (!tables_read_) ReadTables(bits);
            std::uint64_t end = at_ + unpacked_size;
            std::uint64_t flushed = at_;
            while (at_ < end) {
                if (audio_mode_) {
                    DecodeAudio(bits);
                } else {
                    DecodeLz(bits);
                }
                if (bits.read_failed()) return Status::kReadFailed;
                if (bits.overran()) return Status::kTruncated;
                if (at_ - flushed >= window_.size() / 2) Flush(flushed, std::min(at_, end), out);
            }
            Flush(flushed, end, out);
        } catch (const Failed& failed) {
            tables_read_ = false;
            return failed.status;
        }
        return Status::kOk;
    }

  private:
    void Reset() {
        // Cleared, so that a damaged file cannot copy bytes of the file decoded before it.
        if (window_.empty()) window_.resize(static_cast<std::size_t>(kMinWindow));
        std::fill(window_.begin(), window_.end(), 0);
        at_ = 0;
        old_lengths_.fill(0);
        audio_.Reset();
        audio_mode_ = false;
        channels_ = 1;
        channel_ = 0;
        recent_.fill(0);
        recent_at_ = 0;
        last_distance_ = 0;
        last_length_ = 0;
        tables_read_ = false;
    }

    void Flush(std::uint64_t& flushed, std::uint64_t upto, Sink& out) {
        const std::uint64_t mask = window_.size() - 1;
        while (flushed < upto) {
            const std::size_t from = static_cast<std::size_t>(flushed & mask);
            const std::size_t n = static_cast<std::size_t>(
                std::min<std::uint64_t>(upto - flushed, window_.size() - from));
            if (!out.write(window_.data() + from, n)) throw Failed{Status::kWriteFailed};
            flushed += n;
        }
    }

    static int Symbol(HuffmanDecoder& table, BitReader& bits) {
        const int symbol = table.decode(bits);
        if (symbol < 0) throw Failed{bits.overran() ? Status::kTruncated : Status::kCorrupt};
        return symbol;
    }

    void ReadTables(BitReader& bits) {
        const bool audio = bits.get(1) != 0;
        if (bits.get(1) == 0) old_lengths_.fill(0);
        unsigned size = kMainCodes + kDistanceCodes + kRepeatCodes;
        if (audio) {
            channels_ = bits.get(2) + 1;
            if (channel_ >= channels_) channel_ = 0;
            size = kAudioCodes * channels_;
        }
        std::array<std::uint8_t, kLevelCodes> level{};
        for (auto& length : level) length = static_cast<std::uint8_t>(bits.get(4));
        if (!level_.build(level.data(), kLevelCodes)) throw Failed{Status::kCorrupt};

        std::array<std::uint8_t, kTableSize> lengths{};
        for (unsigned i = 0; i < size;) {
            const int code = Symbol(level_, bits);
            if (code < 16) {
                lengths[i] = static_cast<std::uint8_t>((code + old_lengths_[i]) & 0xF);
                ++i;
            } else if (code == 16) {
                if (i == 0) throw Failed{Status::kCorrupt};
                for (unsigned n = bits.get(2) + 3; n > 0 && i < size; --n, ++i)
                    lengths[i] = lengths[i - 1];
            } else {
                unsigned n = code == 17 ? bits.get(3) + 3 : bits.get(7) + 11;
                for (; n > 0 && i < size; --n) lengths[i++] = 0;
            }
            if (bits.overran()) throw Failed{Status::kTruncated};
        }
        if (audio) {
            for (unsigned c = 0; c < channels_; ++c)
                Build(audio_tables_[c], &lengths[c * kAudioCodes], kAudioCodes);
        } else {
            Build(main_, &lengths[0], kMainCodes);
            Build(distances_, &lengths[kMainCodes], kDistanceCodes);
            Build(repeats_, &lengths[kMainCodes + kDistanceCodes], kRepeatCodes);
        }
        audio_mode_ = audio;
        old_lengths_ = lengths;
        tables_read_ = true;
    }

    static void Build(HuffmanDecoder& table, const std::uint8_t* lengths, unsigned count) {
        if (!table.build(lengths, static_cast<int>(count))) throw Failed{Status::kCorrupt};
    }

    void Put(std::uint8_t byte) {
        window_[static_cast<std::size_t>(at_++ & (window_.size() - 1))] = byte;
    }

    void Copy(unsigned length, std::uint32_t distance) {
        recent_[recent_at_++ & 3] = distance;
        last_distance_ = distance;
        last_length_ = length;
        const std::uint64_t mask = window_.size() - 1;
        for (std::uint64_t from = at_ - distance; length > 0; --length, ++from)
            Put(window_[static_cast<std::size_t>(from & mask)]);
    }

    void DecodeLz(BitReader& bits) {
        const int symbol = Symbol(main_, bits);
        if (symbol < 256) {
            Put(static_cast<std::uint8_t>(symbol));
        } else if (symbol > 269) {
            const unsigned slot = static_cast<unsigned>(symbol) - 270;
            unsigned length = kLengthBase[slot] + 3 + bits.get(kLengthBits[slot]);
            const auto code = static_cast<unsigned>(Symbol(distances_, bits));
            const std::uint32_t distance = kDistanceBase[code] + 1 + bits.get(kDistanceBits[code]);
            // Far matches must be longer to pay for their distance, so lengths count from more.
            if (distance >= 0x2000) ++length;
            if (distance >= 0x40000) ++length;
            Copy(length, distance);
        } else if (symbol == 269) {
            ReadTables(bits);
        } else if (symbol == 256) {
            Copy(last_length_, last_distance_);
        } else if (symbol < 261) {
            const std::uint32_t distance = recent_[(recent_at_ - (symbol - 256)) & 3];
            const auto slot = static_cast<unsigned>(Symbol(repeats_, bits));
            unsigned length = kLengthBase[slot] + 2 + bits.get(kLengthBits[slot]);
            if (distance >= 0x101) ++length;
            if (distance >= 0x2000) ++length;
            if (distance >= 0x40000) ++length;
            Copy(length, distance);
        } else {
            const unsigned slot = static_cast<unsigned>(symbol) - 261;
            Copy(2, kShortBase[slot] + 1 + bits.get(kShortBits[slot]));
        }
    }

    void DecodeAudio(BitReader& bits) {
        const int symbol = Symbol(audio_tables_[channel_], bits);
        if (symbol == 256) {
            ReadTables(bits);
            return;
        }
        Put(audio_.Decode(channel_, static_cast<unsigned>(symbol)));
        if (++channel_ == channels_) channel_ = 0;
    }

    std::vector<std::uint8_t> window_;
    std::uint64_t at_ = 0;
    bool continues_ = false;
    bool tables_read_ = false;
    bool audio_mode_ = false;
    unsigned channels_ = 1, channel_ = 0;
    std::array<std::uint8_t, kTableSize> old_lengths_{};
    HuffmanDecoder level_{kFastBits};
    HuffmanDecoder main_{kFastBits};
    HuffmanDecoder distances_{kFastBits};
    HuffmanDecoder repeats_{kFastBits};
    std::array<HuffmanDecoder, kMaxChannels> audio_tables_{
        HuffmanDecoder{kFastBits}, HuffmanDecoder{kFastBits}, HuffmanDecoder{kFastBits},
        HuffmanDecoder{kFastBits}};
    AudioPredictor audio_;
    std::array<std::uint32_t, 4> recent_{};
    unsigned recent_at_ = 0;
    std::uint32_t last_distance_ = 0;
    unsigned last_length_ = 0;
};

}  // namespace

std::unique_ptr<::quorvex6::backend::codecs::Decoder> MakeDecoder() {
    return std::make_unique<Rar20Decoder>();
}

}  // namespace quorvex6::backend::codecs::rar2
