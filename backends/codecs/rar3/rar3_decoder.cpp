#include "codecs/rar3/rar3_decoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <vector>

#include "codecs/common/canonical_huffman.h"
#include "codecs/rar3/bit_input.h"
#include "codecs/rar3/filter_queue.h"
#include "codecs/rar3/filters.h"
#include "codecs/rar3/ppm_block.h"

namespace quorvex6::backend::codecs::rar3 {

namespace {

using ::quorvex6::backend::codecs::MemberSetup;
using ::quorvex6::backend::codecs::Sink;
using ::quorvex6::backend::codecs::Source;
using ::quorvex6::backend::codecs::Status;

constexpr std::size_t kLevelCodes = 20;
constexpr std::size_t kMainCodes = 299, kOffsetCodes = 60, kLowOffsetCodes = 17, kLengthCodes = 28;
constexpr std::size_t kAllCodes = kMainCodes + kOffsetCodes + kLowOffsetCodes + kLengthCodes;
// A declared window holds at least the longest stretch a filter may hold back from being
// written; a file's own window (nothing declared) holds the whole file, so any stretch in it.
constexpr std::uint64_t kMinDeclaredWindow = 256 * 1024;
constexpr std::uint64_t kMinWindow = 64 * 1024;
// No match is longer: the longest length slot and its extra bits, plus the distance bonus, or
// a PPMd block's length byte plus 32.
constexpr std::uint64_t kMaxMatch = 300;

// Slots: a base and how many extra bits follow.
template <std::size_t N>
struct Slots {
    std::array<std::uint32_t, N> base{};
    std::array<std::uint8_t, N> bits{};
};

template <std::size_t N>
constexpr Slots<N> MakeSlots(unsigned (*bits_of)(std::size_t)) {
    Slots<N> s;
    std::uint32_t base = 0;
    for (std::size_t i = 0; i < N; ++i) {
        s.base[i] = base;
        s.bits[i] = static_cast<std::uint8_t>(bits_of(i));
        base += 1u << s.bits[i];
    }
    return s;
}

constexpr unsigned LengthBits(std::size_t i) {
    return i < 8 ? 0 : static_cast<unsigned>(i / 4 - 1);
}
constexpr unsigned OffsetBits(std::size_t i) {
    if (i < 4) return 0;
    if (i < 36) return static_cast<unsigned>(i / 2 - 1);
    return i < 48 ? 16 : 18;
}
constexpr unsigned ShortBits(std::size_t i) {
    constexpr std::array<unsigned, 8> kBits = {2, 2, 3, 4, 5, 6, 6, 6};
    return kBits[i];
}

constexpr Slots<kLengthCodes> kLengths = MakeSlots<kLengthCodes>(LengthBits);
constexpr Slots<kOffsetCodes> kOffsets = MakeSlots<kOffsetCodes>(OffsetBits);
constexpr Slots<8> kShortOffsets = MakeSlots<8>(ShortBits);

// A failed step: its Status travels up as this.
struct Failed {
    Status status;
};

[[noreturn]] void Corrupt() { throw Failed{Status::kCorrupt}; }

std::uint64_t WindowFor(std::uint64_t wanted, std::uint64_t at_least) {
    std::uint64_t size = at_least;
    while (size < std::min(wanted, kMaxWindow)) size <<= 1;
    return size;
}

class Rar3Decoder final : public ::quorvex6::backend::codecs::Decoder {
  public:
    Rar3Decoder() : ppm_(bits_) {}

    bool prepare(const MemberSetup& setup) override {
        if (setup.window_size > kMaxWindow) return false;
        if (setup.continues_stream &&
            (!live_ || WindowFor(setup.window_size, kMinDeclaredWindow) > window_size_))
            return false;
        declared_window_ = setup.window_size;
        continues_ = setup.continues_stream;
        return true;
    }

    Status decode(Source& in, std::uint64_t packed_size, std::uint64_t unpacked_size,
                  Sink& out) override {
        bool continues = continues_;
        continues_ = false;
        live_ = false;
        try {
            if (!continues) StartStream(unpacked_size);
            bits_.Reset(in, packed_size);
            out_ = &out;
            file_start_ = written_;
            file_end_ = written_ + unpacked_size;
            DecodeFile();
            live_ = true;
            return Status::kOk;
        } catch (const Failed& failed) {
            return failed.status;
        }
    }

  private:
    void StartStream(std::uint64_t unpacked_size) {
        std::uint64_t size = declared_window_ != 0
                                 ? WindowFor(declared_window_, kMinDeclaredWindow)
                                 : WindowFor(unpacked_size + kMaxMatch, kMinWindow);
        if (size != window_size_) {
            // Left unset (most files are small, and only what is written is touched): a match
            // reaching before the stream's start is damage, so no byte is read before written.
            window_.reset(new std::uint8_t[static_cast<std::size_t>(size)]);
            window_size_ = size;
            mask_ = size - 1;
        }
        written_ = flushed_ = 0;
        lengths_.fill(0);
        old_distances_.fill(0);
        last_distance_ = last_length_ = 0;
        last_low_ = low_repeats_ = 0;
        filters_.Clear();
        tables_read_ = false;
        ppm_mode_ = false;
        ppm_.Reset();
    }

    void CheckInput() const {
        if (bits_.read_failed()) throw Failed{Status::kReadFailed};
        if (bits_.overrun()) throw Failed{Status::kTruncated};
    }

    void DecodeFile() {
        if (file_end_ == file_start_) return;
        if (!tables_read_) ReadTables();
        bool more = true;
        while (more && written_ < file_end_) {
            std::uint64_t limit = std::min(file_end_, flushed_ + window_size_ - kMaxMatch);
            if (limit <= written_) Corrupt();
            more = ppm_mode_ ? DecodePpm(limit) : DecodeLz(limit);
            CheckInput();
            if (written_ > file_end_) Corrupt();
            Flush(written_);
        }
        if (written_ != file_end_) Corrupt();
        if (!filters_.empty()) Corrupt();
        if (more) ReadEndOfFile();
    }

    // After a file's last byte the stream may say that the next one starts new tables.
    void ReadEndOfFile() {
        if (bits_.exhausted()) return;
        try {
            if (ppm_mode_) {
                if (ppm_.Next() == ppm_.escape() && ppm_.Next() == 0) ReadTables();
            } else if (main_.Decode(bits_) == 256) {
                EndOfBlock();
            }
            CheckInput();
        } catch (const Failed&) {
            tables_read_ = false;
        }
    }

    void ReadTables() {
        bits_.AlignToByte();
        ppm_mode_ = bits_.Bits(1) != 0;
        if (ppm_mode_) {
            if (!ppm_.Start()) Corrupt();
            CheckInput();
            tables_read_ = true;
            return;
        }
        if (!bits_.Bits(1)) lengths_.fill(0);
        std::array<std::uint8_t, kLevelCodes> level{};
        for (std::size_t i = 0; i < kLevelCodes;) {
            auto n = static_cast<std::uint8_t>(bits_.Bits(4));
            if (n == 15) {
                unsigned zeros = bits_.Bits(4);
                if (zeros != 0) {
                    for (unsigned k = 0; k < zeros + 2 && i < kLevelCodes; ++k) level[i++] = 0;
                    continue;
                }
            }
            level[i++] = n;
        }
        CanonicalHuffman level_table;
        if (!level_table.Build(level)) Corrupt();
        for (std::size_t i = 0; i < kAllCodes;) {
            CheckInput();
            int code = level_table.Decode(bits_);
            if (code < 0) Corrupt();
            if (code < 16) {
                lengths_[i] = static_cast<std::uint8_t>((lengths_[i] + code) & 0xF);
                ++i;
                continue;
            }
            bool repeat = code < 18;
            if (repeat && i == 0) Corrupt();
            unsigned count = (code & 1) == 0 ? bits_.Bits(3) + 3 : bits_.Bits(7) + 11;
            for (; count > 0 && i < kAllCodes; --count, ++i)
                lengths_[i] = repeat ? lengths_[i - 1] : 0;
        }
        CheckInput();
        std::span<const std::uint8_t> all(lengths_);
        if (!main_.Build(all.subspan(0, kMainCodes)) ||
            !offset_.Build(all.subspan(kMainCodes, kOffsetCodes)) ||
            !low_offset_.Build(all.subspan(kMainCodes + kOffsetCodes, kLowOffsetCodes)) ||
            !length_.Build(all.subspan(kMainCodes + kOffsetCodes + kLowOffsetCodes)))
            Corrupt();
        tables_read_ = true;
    }

    int Symbol(const CanonicalHuffman& table) {
        int s = table.Decode(bits_);
        if (s < 0) Corrupt();
        return s;
    }

    // Decodes up to `limit`; false at the stream's end-of-file mark.
    bool DecodeLz(std::uint64_t limit) {
        std::uint8_t* window = window_.get();
        while (written_ < limit) {
            if (bits_.overrun()) return true;
            int symbol = Symbol(main_);
            if (symbol < 256) {
                window[written_++ & mask_] = static_cast<std::uint8_t>(symbol);
                continue;
            }
            if (symbol >= 271) {
                unsigned slot = static_cast<unsigned>(symbol - 271);
                std::uint32_t length = kLengths.base[slot] + 3 + bits_.Bits(kLengths.bits[slot]);
                std::uint32_t distance = Distance();
                if (distance >= 0x2000) ++length;
                if (distance >= 0x40000) ++length;
                Remember(distance, 3);
                LzMatch(length, distance);
            } else if (symbol >= 263) {
                unsigned slot = static_cast<unsigned>(symbol - 263);
                std::uint32_t distance =
                    kShortOffsets.base[slot] + 1 + bits_.Bits(kShortOffsets.bits[slot]);
                Remember(distance, 3);
                LzMatch(2, distance);
            } else if (symbol >= 259) {
                auto index = static_cast<std::size_t>(symbol - 259);
                std::uint32_t distance = old_distances_[index];
                auto slot = static_cast<unsigned>(Symbol(length_));
                std::uint32_t length = kLengths.base[slot] + 2 + bits_.Bits(kLengths.bits[slot]);
                Remember(distance, index);
                LzMatch(length, distance);
            } else if (symbol == 258) {
                if (last_length_ != 0) Match(last_length_, last_distance_);
            } else if (symbol == 257) {
                ReadFilter();
            } else if (!EndOfBlock()) {
                return false;
            } else if (ppm_mode_) {
                return true;
            }
        }
        return true;
    }

    std::uint32_t Distance() {
        auto slot = static_cast<unsigned>(Symbol(offset_));
        std::uint32_t distance = kOffsets.base[slot] + 1;
        unsigned extra = kOffsets.bits[slot];
        if (slot <= 9) return distance + bits_.Bits(extra);
        if (extra > 4) distance += bits_.Bits(extra - 4) << 4;
        // The low four bits have their own code, with a symbol for "as last time, 16 times".
        if (low_repeats_ > 0) {
            --low_repeats_;
            return distance + last_low_;
        }
        auto low = static_cast<std::uint32_t>(Symbol(low_offset_));
        if (low == 16) {
            low_repeats_ = 15;
            return distance + last_low_;
        }
        last_low_ = low;
        return distance + low;
    }

    // Moves `distance` to the front of the recent ones, dropping the one at `drop`.
    void Remember(std::uint32_t distance, std::size_t drop) {
        for (std::size_t i = drop; i > 0; --i) old_distances_[i] = old_distances_[i - 1];
        old_distances_[0] = distance;
    }

    void LzMatch(std::uint32_t length, std::uint32_t distance) {
        last_length_ = length;
        last_distance_ = distance;
        Match(length, distance);
    }

    void Match(std::uint32_t length, std::uint32_t distance) {
        if (distance == 0 || distance > written_ || distance > window_size_) Corrupt();
        std::uint8_t* window = window_.get();
        std::size_t to = written_ & mask_;
        std::size_t from = (written_ - distance) & mask_;
        written_ += length;
        if (to + length <= window_size_ && from + length <= window_size_) {
            if (distance >= length) {
                std::memcpy(window + to, window + from, length);
            } else {
                for (std::uint32_t i = 0; i < length; ++i) window[to + i] = window[from + i];
            }
            return;
        }
        for (std::uint32_t i = 0; i < length; ++i)
            window[(to + i) & mask_] = window[(from + i) & mask_];
    }

    // False when the file ends here; otherwise new tables follow.
    bool EndOfBlock() {
        if (bits_.Bits(1)) {
            ReadTables();
            return true;
        }
        tables_read_ = bits_.Bits(1) == 0;
        return false;
    }

    void ReadFilter() {
        auto flags = static_cast<std::uint8_t>(bits_.Bits(8));
        std::uint32_t size = (flags & 7) + 1;
        if (size == 7) size = bits_.Bits(8) + 7;
        if (size == 8) size = bits_.Bits(16);
        filter_body_.resize(size);
        for (std::uint8_t& b : filter_body_) b = static_cast<std::uint8_t>(bits_.Bits(8));
        CheckInput();
        AddFilter(flags);
    }

    int Ppm() {
        int c = ppm_.Next();
        if (c < 0) Corrupt();
        return c;
    }

    // Decodes up to `limit`; false at the stream's end-of-file code. An escape byte introduces
    // a code: new tables, the end of the file, a filter, a match, or the escape byte itself.
    bool DecodePpm(std::uint64_t limit) {
        std::uint8_t* window = window_.get();
        while (written_ < limit) {
            if (bits_.overrun()) return true;
            int c = Ppm();
            if (c != ppm_.escape()) {
                window[written_++ & mask_] = static_cast<std::uint8_t>(c);
                continue;
            }
            switch (Ppm()) {
                case 0:
                    ReadTables();
                    if (!ppm_mode_) return true;
                    break;
                case 2:
                    return false;
                case 3:
                    ReadPpmFilter();
                    break;
                case 4: {
                    std::uint32_t distance = 0;
                    for (int i = 0; i < 3; ++i)
                        distance = (distance << 8) | static_cast<std::uint32_t>(Ppm());
                    auto length = static_cast<std::uint32_t>(Ppm());
                    Match(length + 32, distance + 2);
                    break;
                }
                case 5:
                    Match(static_cast<std::uint32_t>(Ppm()) + 4, 1);
                    break;
                default:
                    window[written_++ & mask_] = static_cast<std::uint8_t>(c);
                    break;
            }
        }
        return true;
    }

    void ReadPpmFilter() {
        auto flags = static_cast<std::uint8_t>(Ppm());
        std::uint32_t size = (flags & 7) + 1;
        if (size == 7) size = static_cast<std::uint32_t>(Ppm()) + 7;
        if (size == 8) {
            auto high = static_cast<std::uint32_t>(Ppm());
            size = high << 8 | static_cast<std::uint32_t>(Ppm());
        }
        filter_body_.resize(size);
        for (std::uint8_t& b : filter_body_) b = static_cast<std::uint8_t>(Ppm());
        AddFilter(flags);
    }

    void AddFilter(std::uint8_t flags) {
        if (!filters_.Add(flags, filter_body_, {written_, flushed_, file_start_, file_end_}))
            Corrupt();
    }

    void Write(const std::uint8_t* data, std::size_t n) {
        if (n != 0 && !out_->write(data, n)) throw Failed{Status::kWriteFailed};
    }

    // The window from flushed_ up to `end`, in at most two pieces.
    void WriteWindow(std::uint64_t end) {
        while (flushed_ < end) {
            auto at = static_cast<std::size_t>(flushed_ & mask_);
            auto n = static_cast<std::size_t>(
                std::min<std::uint64_t>(end - flushed_, window_size_ - at));
            Write(window_.get() + at, n);
            flushed_ += n;
        }
    }

    // Writes what is decoded up to `end`, each filter's stretch once it is whole and filtered;
    // filters on the same stretch run one on the other's output.
    void Flush(std::uint64_t end) {
        while (!filters_.empty()) {
            Filter f = filters_.front();
            if (f.start < flushed_) Corrupt();
            WriteWindow(std::min(f.start, end));
            if (end < f.start + f.length) return;
            if (memory_.empty()) memory_.resize(2 * std::size_t{kMaxFilterLength} + 4);
            auto at_window = static_cast<std::size_t>(f.start & mask_);
            std::size_t head = std::min<std::size_t>(f.length, window_size_ - at_window);
            std::memcpy(memory_.data(), window_.get() + at_window, head);
            std::memcpy(memory_.data() + head, window_.get(), f.length - head);
            std::optional<std::uint32_t> at = RunFilter(f, memory_);
            filters_.pop();
            while (at && !filters_.empty() && filters_.front().start == f.start &&
                   filters_.front().length == f.length) {
                std::memmove(memory_.data(), memory_.data() + *at, f.length);
                at = RunFilter(filters_.front(), memory_);
                filters_.pop();
            }
            if (!at) Corrupt();
            Write(memory_.data() + *at, f.length);
            flushed_ = f.start + f.length;
        }
        WriteWindow(end);
    }

    // The stream, kept between the members of a solid archive.
    std::unique_ptr<std::uint8_t[]> window_;
    std::uint64_t window_size_ = 0;
    std::uint64_t mask_ = 0;
    std::uint64_t written_ = 0;
    std::uint64_t flushed_ = 0;
    bool tables_read_ = false;
    std::array<std::uint8_t, kAllCodes> lengths_{};
    CanonicalHuffman main_, offset_, low_offset_, length_;
    std::array<std::uint32_t, 4> old_distances_{};
    std::uint32_t last_distance_ = 0, last_length_ = 0;
    std::uint32_t last_low_ = 0, low_repeats_ = 0;
    bool ppm_mode_ = false;
    FilterQueue filters_;
    std::vector<std::uint8_t> memory_;  // the filters' work area, made when first needed
    std::vector<std::uint8_t> filter_body_;

    // What prepare() said for the next member, and whether the last one ended cleanly.
    std::uint64_t declared_window_ = 0;
    bool continues_ = false;
    bool live_ = false;

    // The current member.
    BitInput bits_;
    Sink* out_ = nullptr;
    std::uint64_t file_start_ = 0, file_end_ = 0;

    PpmBlock ppm_;  // after bits_, which it reads
};

}  // namespace

std::unique_ptr<::quorvex6::backend::codecs::Decoder> MakeDecoder() {
    return std::make_unique<Rar3Decoder>();
}

}  // namespace quorvex6::backend::codecs::rar3
