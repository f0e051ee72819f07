#include "codecs/rar15/rar15_decoder.h"

#include <array>
#include <cstdint>
#include <numeric>
#include <vector>

#include "codecs/lh/bit_reader.h"
#include "codecs/rar15/adaptive_order.h"

namespace quorvex6::backend::codecs::rar15 {
namespace {

using lh::BitReader;
using ::quorvex6::backend::codecs::MemberSetup;
using ::quorvex6::backend::codecs::Sink;
using ::quorvex6::backend::codecs::Source;
using ::quorvex6::backend::codecs::Status;

// Every distance the codes can express is below 64 KiB, whatever a header declares.
constexpr std::size_t kWindowSize = std::size_t{1} << 16;
constexpr std::uint64_t kWindowMask = kWindowSize - 1;

// A code given by bands of the next 12 bits: band n (2..12) holds starts[n + 1] - starts[n]
// values from starts[n] on, each n bits long. Every table fills all 4096 patterns.
using Bands = std::array<std::uint16_t, 14>;
constexpr Bands kShortLengths = {0, 0, 0, 2, 3, 5, 7, 11, 16, 20, 24, 32, 32, 256};
constexpr Bands kLongLengths = {0, 0, 0, 0, 5, 7, 9, 13, 18, 22, 26, 34, 36, 256};
// Places by how skewed the list is: the higher the running average place, the flatter.
constexpr std::array<Bands, 5> kPlaces = {{
    {0, 0, 0, 0, 0, 8, 16, 24, 33, 33, 33, 33, 33, 257},
    {0, 0, 0, 0, 0, 0, 4, 44, 60, 76, 80, 80, 127, 257},
    {0, 0, 0, 0, 0, 0, 2, 7, 53, 117, 233, 257, 257, 257},
    {0, 0, 0, 0, 0, 0, 0, 2, 16, 218, 251, 257, 257, 257},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 257, 257, 257, 257},
}};
constexpr const Bands& kMiddlePlaces = kPlaces[2];

// The short-match codes: a prefix of the next byte and its length. Codes 0..8 are matches of
// 2..10 bytes, 9 repeats the last match, 10..13 reuse a recent distance, and 14 (only in the
// alternative sets) is a far match.
constexpr unsigned kShortCodes = 15;
constexpr unsigned kRepeatLast = 9, kFirstRecent = 10, kFarMatch = 14;
using ShortTable = std::array<std::uint8_t, kShortCodes>;
constexpr ShortTable kShortPrefixLow = {0,    0xA0, 0xD0, 0xE0, 0xF0, 0xF8, 0xFC, 0xFE,
                                        0xFF, 0xC0, 0x80, 0x90, 0x98, 0x9C, 0xB0};
constexpr ShortTable kShortPrefixHigh = {0,    0x40, 0x60, 0xA0, 0xD0, 0xE0, 0xF0, 0xF8,
                                         0xFC, 0xC0, 0x80, 0x90, 0x98, 0x9C, 0xB0};
constexpr ShortTable kShortBitsLow = {1, 3, 4, 4, 5, 6, 7, 8, 8, 4, 4, 5, 6, 6, 0};
constexpr ShortTable kShortBitsLowAlt = {1, 4, 4, 4, 5, 6, 7, 8, 8, 4, 4, 5, 6, 6, 4};
constexpr ShortTable kShortBitsHigh = {2, 3, 3, 3, 4, 4, 5, 6, 6, 4, 4, 5, 6, 6, 0};
constexpr ShortTable kShortBitsHighAlt = {2, 3, 3, 4, 4, 4, 5, 6, 6, 4, 4, 5, 6, 6, 4};

struct Failed {
    Status status;
};

class Rar15Decoder : public ::quorvex6::backend::codecs::Decoder {
  public:
    bool prepare(const MemberSetup& setup) override {
        // A stream goes on only from a member that decoded whole.
        if (setup.continues_stream && !usable_) return false;
        continues_ = setup.continues_stream;
        return true;
    }

    Status decode(Source& in, std::uint64_t packed_size, std::uint64_t unpacked_size,
                  Sink& out) override {
        if (!continues_) Reset();
        continues_ = false;
        usable_ = false;
        BitReader bits(in, packed_size);
        try {
            StartMember(at_ + unpacked_size);
            std::uint64_t flushed = at_;
            if (unpacked_size > 0) {
                ReadFlags(bits);
                flags_left_ = 8;
            }
            while (at_ < end_) {
                Step(bits);
                if (bits.read_failed()) return Status::kReadFailed;
                if (bits.overran()) return Status::kTruncated;
                if (at_ - flushed >= kWindowSize / 2) Flush(flushed, out);
            }
            Flush(flushed, out);
        } catch (const Failed& failed) {
            // Bits made up past the end mean nothing: the member was cut short.
            if (failed.status == Status::kCorrupt && bits.overran()) return Status::kTruncated;
            return failed.status;
        }
        usable_ = true;
        return Status::kOk;
    }

  private:
    void Reset() {
        // Cleared, so that nothing of an earlier stream can show through.
        window_.assign(kWindowSize, 0);
        at_ = 0;
        literal_place_avg_ = 0x3500;
        long_place_avg_ = short_length_avg_ = long_length_avg_ = near_long_avg_ = 0;
        literal_run_ = 0;
        alt_short_codes_ = false;
        far_distance_ = 0x2001;
        literal_weight_ = match_weight_ = 0x80;
        recent_.fill(1);
        recent_at_ = 0;
        last_distance_ = 1;
        last_length_ = 0;
        literals_.Reset(false);
        long_places_.Reset(false);
        long_places_.Flatten();
        flag_bytes_.Reset(true);
        std::iota(short_places_.begin(), short_places_.end(), 0);
    }

    void StartMember(std::uint64_t end) {
        end_ = end;
        flags_ = 0;
        flags_left_ = 0;
        in_literal_run_ = false;
        repeats_ = 0;
    }

    void Flush(std::uint64_t& flushed, Sink& out) {
        while (flushed < at_) {
            const auto from = static_cast<std::size_t>(flushed & kWindowMask);
            const auto n = static_cast<std::size_t>(
                std::min<std::uint64_t>(at_ - flushed, kWindowSize - from));
            if (!out.write(window_.data() + from, n)) throw Failed{Status::kWriteFailed};
            flushed += n;
        }
    }

    static unsigned Band(BitReader& bits, const Bands& bands) {
        std::uint32_t pattern = bits.peek(12);
        for (unsigned n = 2; n <= 12; ++n) {
            const std::uint32_t span = static_cast<std::uint32_t>(bands[n + 1] - bands[n])
                                       << (12 - n);
            if (pattern < span) {
                bits.skip(static_cast<int>(n));
                return (pattern >> (12 - n)) + bands[n];
            }
            pattern -= span;
        }
        throw Failed{Status::kCorrupt};
    }

    unsigned ShortCode(BitReader& bits) const {
        const std::uint32_t next = bits.peek(8);
        const bool low = short_length_avg_ < 37;
        const ShortTable& prefix = low ? kShortPrefixLow : kShortPrefixHigh;
        const ShortTable& lengths = low ? (alt_short_codes_ ? kShortBitsLowAlt : kShortBitsLow)
                                        : (alt_short_codes_ ? kShortBitsHighAlt : kShortBitsHigh);
        const unsigned codes = alt_short_codes_ ? kShortCodes : kShortCodes - 1;
        for (unsigned code = 0; code < codes; ++code) {
            const std::uint32_t mask = (0xFF00u >> lengths[code]) & 0xFF;
            if (((next ^ prefix[code]) & mask) == 0) {
                bits.skip(lengths[code]);
                return code;
            }
        }
        throw Failed{Status::kCorrupt};
    }

    void ReadFlags(BitReader& bits) { flags_ = flag_bytes_.Take(Band(bits, kMiddlePlaces)); }

    bool NextFlag(BitReader& bits) {
        if (--flags_left_ < 0) {
            ReadFlags(bits);
            flags_left_ = 7;
        }
        const bool set = (flags_ & 0x80) != 0;
        flags_ = (flags_ << 1) & 0xFF;
        return set;
    }

    void Step(BitReader& bits) {
        if (in_literal_run_) {
            Literal(bits);
        } else if (NextFlag(bits)) {
            match_weight_ > literal_weight_ ? LongMatch(bits) : Literal(bits);
        } else if (NextFlag(bits)) {
            match_weight_ > literal_weight_ ? Literal(bits) : LongMatch(bits);
        } else {
            ShortMatch(bits);
        }
    }

    void Literal(BitReader& bits) {
        const unsigned table = literal_place_avg_ > 0x75FF   ? 4
                               : literal_place_avg_ > 0x5DFF ? 3
                               : literal_place_avg_ > 0x35FF ? 2
                               : literal_place_avg_ > 0x0DFF ? 1
                                                             : 0;
        unsigned place = Band(bits, kPlaces[table]);
        if (in_literal_run_) {
            // In a run of literals place 0 escapes: back to flags, or a short match.
            if (place == 0) {
                if (bits.get(1) != 0) {
                    in_literal_run_ = false;
                    literal_run_ = 0;
                    return;
                }
                const unsigned length = bits.get(1) != 0 ? 4 : 3;
                const std::uint32_t distance = (Band(bits, kMiddlePlaces) << 5) | bits.get(5);
                Copy(length, distance);
                return;
            }
            --place;
        } else if (literal_run_++ >= 16 && flags_left_ == 0) {
            in_literal_run_ = true;
        }
        place &= 0xFF;
        literal_place_avg_ += place;
        literal_place_avg_ -= literal_place_avg_ >> 8;
        literal_weight_ += 16;
        if (literal_weight_ > 0xFF) {
            literal_weight_ = 0x90;
            match_weight_ >>= 1;
        }
        window_[static_cast<std::size_t>(at_++ & kWindowMask)] = literals_.Take(place);
    }

    void ShortMatch(BitReader& bits) {
        literal_run_ = 0;
        if (repeats_ == 2) {
            if (bits.get(1) != 0) {
                Copy(last_length_, last_distance_);
                return;
            }
            repeats_ = 0;
        }
        const unsigned code = ShortCode(bits);
        if (code == kRepeatLast) {
            ++repeats_;
            Copy(last_length_, last_distance_);
            return;
        }
        repeats_ = 0;
        if (code == kFarMatch) {
            last_length_ = Band(bits, kLongLengths) + 5;
            last_distance_ = 0x8000 + bits.get(15);
            Copy(last_length_, last_distance_);
            return;
        }
        unsigned length = 0;
        std::uint32_t distance = 0;
        if (code >= kFirstRecent) {
            distance = recent_[(recent_at_ - (code - kRepeatLast)) & 3];
            length = Band(bits, kShortLengths) + 2;
            // The longest length from the latest distance is no match: it switches code sets.
            if (length == 0x101 && code == kFirstRecent) {
                alt_short_codes_ = !alt_short_codes_;
                return;
            }
            if (distance > 0x100) ++length;
            if (distance >= far_distance_) ++length;
        } else {
            short_length_avg_ += code;
            short_length_avg_ -= short_length_avg_ >> 4;
            distance = TakeShortPlace(Band(bits, kMiddlePlaces)) + 1u;
            length = code + 2;
        }
        Remember(length, distance);
        Copy(length, distance);
    }

    // The distance at `place`, moved one place forward.
    std::uint8_t TakeShortPlace(unsigned place) {
        place &= 0xFF;
        const std::uint8_t value = short_places_[place];
        if (place > 0) {
            short_places_[place] = short_places_[place - 1];
            short_places_[place - 1] = value;
        }
        return value;
    }

    void LongMatch(BitReader& bits) {
        literal_run_ = 0;
        match_weight_ += 16;
        if (match_weight_ > 0xFF) {
            match_weight_ = 0x90;
            literal_weight_ >>= 1;
        }
        const unsigned old_long_length_avg = long_length_avg_;
        unsigned length = 0;
        if (long_length_avg_ >= 122) {
            length = Band(bits, kLongLengths);
        } else if (long_length_avg_ >= 64) {
            length = Band(bits, kShortLengths);
        } else {
            // A unary length: its leading zeros, or sixteen bits for the smallest values.
            const std::uint32_t next = bits.peek(16);
            if (next < 0x100) {
                length = next;
                bits.skip(16);
            } else {
                while (((next << length) & 0x8000) == 0) ++length;
                bits.skip(static_cast<int>(length) + 1);
            }
        }
        long_length_avg_ += length;
        long_length_avg_ -= long_length_avg_ >> 5;

        const unsigned table = long_place_avg_ > 0x28FF ? 2 : long_place_avg_ > 0x06FF ? 1 : 0;
        const unsigned place = Band(bits, kPlaces[table]);
        long_place_avg_ += place;
        long_place_avg_ -= long_place_avg_ >> 8;
        const std::uint32_t distance =
            (static_cast<std::uint32_t>(long_places_.Take(place)) << 7) | bits.get(7);

        const unsigned old_near_long_avg = near_long_avg_;
        if (length != 1 && length != 4) {
            if (length == 0 && distance <= far_distance_) {
                ++near_long_avg_;
                near_long_avg_ -= near_long_avg_ >> 8;
            } else if (near_long_avg_ > 0) {
                --near_long_avg_;
            }
        }
        length += 3;
        if (distance >= far_distance_) ++length;
        if (distance <= 0x100) length += 8;
        far_distance_ =
            old_near_long_avg > 0xB0 || (literal_place_avg_ >= 0x2A00 && old_long_length_avg < 0x40)
                ? 0x7F00
                : 0x2001;
        Remember(length, distance);
        Copy(length, distance);
    }

    void Remember(unsigned length, std::uint32_t distance) {
        recent_[recent_at_++ & 3] = distance;
        last_length_ = length;
        last_distance_ = distance;
    }

    void Copy(unsigned length, std::uint32_t distance) {
        // Nothing before the stream's start, and no match beyond the member's end.
        if (length == 0 || distance == 0 || distance > at_ || length > end_ - at_)
            throw Failed{Status::kCorrupt};
        for (std::uint64_t from = at_ - distance; length > 0; --length, ++from)
            window_[static_cast<std::size_t>(at_++ & kWindowMask)] =
                window_[static_cast<std::size_t>(from & kWindowMask)];
    }

    std::vector<std::uint8_t> window_;
    std::uint64_t at_ = 0;
    std::uint64_t end_ = 0;
    bool continues_ = false;
    bool usable_ = false;

    // The model, which a solid stream keeps: the lists, running averages of places and
    // lengths that pick the code tables, and weights that decide whether a set flag means a
    // literal or a long match.
    AdaptiveOrder literals_{0xA1};
    AdaptiveOrder long_places_{0xFF};
    AdaptiveOrder flag_bytes_{0xFF};
    std::array<std::uint8_t, 256> short_places_{};
    unsigned literal_place_avg_ = 0, long_place_avg_ = 0, short_length_avg_ = 0,
             long_length_avg_ = 0, near_long_avg_ = 0;
    unsigned literal_run_ = 0;
    unsigned far_distance_ = 0;
    unsigned literal_weight_ = 0, match_weight_ = 0;
    bool alt_short_codes_ = false;
    std::array<std::uint32_t, 4> recent_{};
    unsigned recent_at_ = 0;
    std::uint32_t last_distance_ = 0;
    unsigned last_length_ = 0;

    // What each member starts afresh: the flags, the run of literals without flags, and how
    // often the last match was repeated.
    unsigned flags_ = 0;
    int flags_left_ = 0;
    bool in_literal_run_ = false;
    unsigned repeats_ = 0;
};

}  // namespace

std::unique_ptr<::quorvex6::backend::codecs::Decoder> MakeDecoder() {
    return std::make_unique<Rar15Decoder>();
}

}  // namespace quorvex6::backend::codecs::rar15
