#include "codecs/rar5/rar5_decoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <new>
#include <vector>

#include "codecs/common/canonical_huffman.h"
#include "codecs/rar5/bit_reader.h"
#include "codecs/rar5/filters.h"
#include "codecs/rar5/window.h"

namespace quorvex6::backend::codecs::rar5 {

namespace {

using ::quorvex6::backend::codecs::Sink;
using ::quorvex6::backend::codecs::Source;
using ::quorvex6::backend::codecs::Status;

constexpr std::size_t kLevelCodes = 20;
constexpr std::size_t kMainCodes = 306, kDistanceCodes = 64, kAlignCodes = 16, kLengthCodes = 44;
constexpr std::size_t kAllCodes = kMainCodes + kDistanceCodes + kAlignCodes + kLengthCodes;
constexpr std::uint64_t kMinWindow = 256 * 1024;
// No match is longer: the longest length slot and its extra bits, plus the distance bonus.
constexpr std::uint64_t kMaxMatch = 0x1000 + 0x200 + 8;
constexpr std::size_t kMaxPendingFilters = 8192;
// A filter's stretch stays in the window until it is whole, and a match may follow it.
constexpr std::uint64_t kFilterRoom = 2 * (kMaxFilterLength + kMaxMatch);
constexpr std::size_t kPadding = 8;

// A failed step: its Status travels up as this.
struct Failed {
    Status status;
};

[[noreturn]] void Corrupt() { throw Failed{Status::kCorrupt}; }

// The state a solid stream carries from member to member: window, tables, recent distances.
class Unpacker {
  public:
    // Starts a new stream (`continues` false) or goes on with this one; false when the
    // window cannot be had.
    bool Prepare(std::uint64_t dictionary, bool continues) {
        if (dictionary > kMaxDictionary || (continues && (!started_ || broken_))) return false;
        dictionary_ = dictionary == 0 ? kMaxDictionary : dictionary;
        if (!continues) {
            written_ = flushed_ = 0;
            tables_ready_ = false;
            recent_ = {};
            last_length_ = 0;
            filters_.clear();
        }
        started_ = true;
        broken_ = false;
        return true;
    }

    Status Member(Source& in, std::uint64_t packed, std::uint64_t unpacked, Sink& out) {
        in_ = &in;
        out_ = &out;
        packed_left_ = packed;
        end_ = unpacked > UINT64_MAX - written_ ? UINT64_MAX : written_ + unpacked;
        try {
            FitWindow(unpacked);
            Run();
            return Status::kOk;
        } catch (const Failed& failed) {
            broken_ = true;
            return failed.status;
        } catch (const std::bad_alloc&) {
            broken_ = true;
            return Status::kNoMemory;
        }
    }

  private:
    // Room for what the stream can reach back to: all of it and a match past it, so that a
    // small stream never wraps, but no more than the declared dictionary; room for the
    // longest filter whatever the dictionary says.
    void FitWindow(std::uint64_t unpacked) {
        std::uint64_t reach = std::min(unpacked, kMaxDictionary) + 2 * kMaxMatch;
        reach = std::min(written_ + reach, kMaxDictionary);
        std::uint64_t floor = std::max(kMinWindow, std::min(reach, kFilterRoom));
        window_target_ = std::max(floor, std::min(reach, dictionary_));
        window_.Fit(written_, std::min(window_target_, kFilterRoom));
    }

    // The window grows with what is decoded rather than with what the header claims, so that
    // a small archive that declares a huge file gets no huge window; it doubles before it could
    // wrap.
    void GrowWindow() {
        if (window_.size() < window_target_ && written_ + 2 * kMaxMatch >= window_.size() / 2)
            window_.Fit(written_, window_.size() * 2);
    }

    void Run() {
        for (bool last = false; !last;) {
            std::uint8_t flags = ReadBlock();
            last = (flags & 0x40) != 0;
            BitReader bits(block_, block_end_bit_);
            if (flags & 0x80) ReadTables(bits);
            if (!tables_ready_) Corrupt();
            while (bits.more()) {
                GrowWindow();
                Step(bits);
                if (bits.overrun() || written_ > end_) Corrupt();
                if (written_ - flushed_ >= window_.size() / 2) Flush();
                if (written_ - flushed_ + kMaxMatch > window_.size()) Corrupt();
            }
        }
        Flush();
        if (!filters_.empty() || written_ != end_) Corrupt();
    }

  private:
    void Take(std::uint8_t* data, std::size_t n) {
        if (n > packed_left_) throw Failed{Status::kTruncated};
        while (n > 0) {
            std::ptrdiff_t got = in_->read(data, n);
            if (got < 0) throw Failed{Status::kReadFailed};
            if (got == 0) throw Failed{Status::kTruncated};
            data += got;
            n -= static_cast<std::size_t>(got);
            packed_left_ -= static_cast<std::uint64_t>(got);
        }
    }

    // A block header (flags, check byte, 1-3 bytes of size) and the block; its flags.
    std::uint8_t ReadBlock() {
        std::uint8_t head[2];
        Take(head, 2);
        unsigned size_bytes = ((head[0] >> 3) & 3) + 1;
        if (size_bytes > 3) Corrupt();
        std::uint8_t size_field[3] = {};
        Take(size_field, size_bytes);
        std::uint32_t size = size_field[0] | (size_field[1] << 8) | (size_field[2] << 16);
        std::uint8_t check = 0x5A ^ head[0] ^ size_field[0] ^ size_field[1] ^ size_field[2];
        if (check != head[1]) Corrupt();
        block_.assign(size + kPadding, 0);
        Take(block_.data(), size);
        block_end_bit_ = size == 0 ? 0 : (std::uint64_t{size} - 1) * 8 + (head[0] & 7) + 1;
        return head[0];
    }

    void ReadTables(BitReader& bits) {
        std::array<std::uint8_t, kLevelCodes> level{};
        for (std::size_t i = 0; i < kLevelCodes;) {
            std::uint8_t n = static_cast<std::uint8_t>(bits.Bits(4));
            if (n != 15) {
                level[i++] = n;
                continue;
            }
            unsigned zeros = bits.Bits(4);
            if (zeros == 0) {
                level[i++] = 15;
                continue;
            }
            for (unsigned k = 0; k < zeros + 2 && i < kLevelCodes; ++k) level[i++] = 0;
        }
        CanonicalHuffman level_table;
        if (!level_table.Build(level)) Corrupt();
        std::array<std::uint8_t, kAllCodes> lengths{};
        for (std::size_t i = 0; i < kAllCodes;) {
            int code = level_table.Decode(bits);
            if (code < 0 || bits.overrun()) Corrupt();
            if (code < 16) {
                lengths[i++] = static_cast<std::uint8_t>(code);
                continue;
            }
            bool small = code == 16 || code == 18;
            unsigned count = small ? bits.Bits(3) + 3 : bits.Bits(7) + 11;
            std::uint8_t value = 0;
            if (code < 18) {
                if (i == 0) Corrupt();
                value = lengths[i - 1];
            }
            for (; count > 0 && i < kAllCodes; --count) lengths[i++] = value;
        }
        std::span<const std::uint8_t> all(lengths);
        if (!main_.Build(all.subspan(0, kMainCodes)) ||
            !distance_.Build(all.subspan(kMainCodes, kDistanceCodes)) ||
            !align_.Build(all.subspan(kMainCodes + kDistanceCodes, kAlignCodes)) ||
            !length_.Build(all.subspan(kMainCodes + kDistanceCodes + kAlignCodes, kLengthCodes)))
            Corrupt();
        tables_ready_ = true;
    }

    static std::uint16_t Symbol(const CanonicalHuffman& table, BitReader& bits) {
        int s = table.Decode(bits);
        if (s < 0) Corrupt();
        return static_cast<std::uint16_t>(s);
    }

    static std::uint32_t LengthOf(unsigned slot, BitReader& bits) {
        if (slot < 8) return slot + 2;
        unsigned extra = slot / 4 - 1;
        return ((4u | (slot & 3)) << extra) + 2 + bits.Bits(extra);
    }

    std::uint64_t DistanceOf(unsigned slot, BitReader& bits) {
        if (slot < 4) return slot + 1;
        unsigned extra = slot / 2 - 1;
        std::uint64_t distance = (std::uint64_t{2} | (slot & 1)) << extra;
        if (extra < 4) return distance + 1 + bits.Bits(extra);
        std::uint64_t high = extra > 4 ? bits.Bits(std::min(extra - 4, 16u)) : 0;
        if (extra - 4 > 16) high = (high << (extra - 20)) | bits.Bits(extra - 20);
        return distance + 1 + (high << 4) + Symbol(align_, bits);
    }

    void Step(BitReader& bits) {
        std::uint16_t symbol = Symbol(main_, bits);
        if (symbol < 256) {
            window_[written_] = static_cast<std::uint8_t>(symbol);
            ++written_;
        } else if (symbol >= 262) {
            std::uint32_t length = LengthOf(symbol - 262, bits);
            std::uint64_t distance = DistanceOf(Symbol(distance_, bits), bits);
            if (distance > 0x100) ++length;
            if (distance > 0x2000) ++length;
            if (distance > 0x40000) ++length;
            std::copy_backward(recent_.begin(), recent_.end() - 1, recent_.end());
            recent_[0] = distance;
            last_length_ = length;
            Copy(length, distance);
        } else if (symbol == 256) {
            ReadFilter(bits);
        } else if (symbol == 257) {
            if (last_length_ != 0) Copy(last_length_, recent_[0]);
        } else {
            std::size_t index = symbol - 258;
            std::uint64_t distance = recent_[index];
            std::copy_backward(recent_.begin(),
                               recent_.begin() + static_cast<std::ptrdiff_t>(index),
                               recent_.begin() + static_cast<std::ptrdiff_t>(index) + 1);
            recent_[0] = distance;
            last_length_ = LengthOf(Symbol(length_, bits), bits);
            Copy(last_length_, distance);
        }
    }

    void Copy(std::uint32_t length, std::uint64_t distance) {
        if (distance == 0 || distance > written_ || distance > window_.size()) Corrupt();
        std::uint8_t* to = window_.at(written_);
        const std::uint8_t* from = window_.at(written_ - distance);
        const std::uint8_t* ring_end = window_.at(0) + window_.size();
        if (to + length > ring_end || from + length > ring_end) {
            for (std::uint32_t i = 0; i < length; ++i, ++written_)
                window_[written_] = window_[written_ - distance];
            return;
        }
        // A match shorter than its distance is a plain copy; a longer one repeats what it
        // is writing, byte by byte.
        if (distance >= length) {
            std::memmove(to, from, length);
        } else {
            for (std::uint32_t i = 0; i < length; ++i) to[i] = from[i];
        }
        written_ += length;
    }

    static std::uint32_t FilterNumber(BitReader& bits) {
        unsigned bytes = bits.Bits(2) + 1;
        std::uint32_t value = 0;
        for (unsigned i = 0; i < bytes; ++i) value |= bits.Bits(8) << (8 * i);
        return value;
    }

    void ReadFilter(BitReader& bits) {
        Filter f;
        f.start = written_ + FilterNumber(bits);
        f.length = FilterNumber(bits);
        unsigned type = bits.Bits(3);
        if (type == static_cast<unsigned>(FilterType::kDelta)) f.channels = bits.Bits(5) + 1;
        std::uint64_t earliest =
            filters_.empty() ? flushed_ : filters_.back().start + filters_.back().length;
        if (type > static_cast<unsigned>(FilterType::kArm) || f.length < 4 ||
            f.length > kMaxFilterLength || f.start < earliest ||
            filters_.size() >= kMaxPendingFilters || f.start + f.length > end_)
            Corrupt();
        f.type = static_cast<FilterType>(type);
        filters_.push_back(f);
    }

    void Write(const std::uint8_t* data, std::size_t n) {
        if (n != 0 && !out_->write(data, n)) throw Failed{Status::kWriteFailed};
    }

    // The window from flushed_ up to `end`, in at most two pieces.
    void WriteWindow(std::uint64_t end) {
        while (flushed_ < end) {
            std::uint64_t at = flushed_ & (window_.size() - 1);
            std::size_t n = static_cast<std::size_t>(
                std::min<std::uint64_t>(end - flushed_, window_.size() - at));
            Write(window_.at(flushed_), n);
            flushed_ += n;
        }
    }

    // Writes what is decoded, each filter's stretch once it is whole and filtered.
    void Flush() {
        while (!filters_.empty()) {
            const Filter& f = filters_.front();
            WriteWindow(std::min(f.start, written_));
            if (written_ < f.start + f.length) return;
            filtered_.resize(f.length);
            for (std::uint32_t i = 0; i < f.length; ++i) filtered_[i] = window_[f.start + i];
            ApplyFilter(f, filtered_);
            Write(filtered_.data(), filtered_.size());
            flushed_ = f.start + f.length;
            filters_.pop_front();
        }
        WriteWindow(written_);
    }

    Source* in_ = nullptr;
    std::uint64_t packed_left_ = 0;
    std::uint64_t end_ = 0;  // the stream position where this member ends
    Sink* out_ = nullptr;
    std::uint64_t dictionary_ = kMaxDictionary;
    bool started_ = false;
    bool broken_ = false;  // a member failed part way: the stream cannot go on
    Window window_;
    std::uint64_t window_target_ = 0;  // what the window may grow to for this member
    std::uint64_t written_ = 0;
    std::uint64_t flushed_ = 0;
    std::vector<std::uint8_t> block_;
    std::uint64_t block_end_bit_ = 0;
    bool tables_ready_ = false;
    CanonicalHuffman main_, distance_, align_, length_;
    std::array<std::uint64_t, 4> recent_{};
    std::uint32_t last_length_ = 0;
    std::deque<Filter> filters_;
    std::vector<std::uint8_t> filtered_;
};

class Rar5Decoder final : public ::quorvex6::backend::codecs::Decoder {
  public:
    bool prepare(const ::quorvex6::backend::codecs::MemberSetup& setup) override {
        prepared_ = unpacker_.Prepare(setup.window_size, setup.continues_stream);
        return prepared_;
    }
    Status decode(Source& in, std::uint64_t packed_size, std::uint64_t unpacked_size,
                  Sink& out) override {
        // An undeclared member starts a stream of its own.
        if (!prepared_) unpacker_.Prepare(0, false);
        prepared_ = false;
        return unpacker_.Member(in, packed_size, unpacked_size, out);
    }

  private:
    Unpacker unpacker_;
    bool prepared_ = false;
};

}  // namespace

std::unique_ptr<::quorvex6::backend::codecs::Decoder> MakeDecoder() {
    return std::make_unique<Rar5Decoder>();
}

}  // namespace quorvex6::backend::codecs::rar5
