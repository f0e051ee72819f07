// lzs and lz5, from LArc: LZSS whose copies name an absolute position in a small ring buffer.
#include <array>
#include <memory>
#include <vector>

#include "codecs/lh/bit_reader.h"
#include "codecs/lh/codecs.h"

namespace quorvex6::backend::codecs::lh {

namespace {

// A ring buffer that also collects output and hands it to the Sink in chunks.
template <std::size_t Size>
class Ring {
  public:
    Ring(Sink& out, std::uint64_t total, std::size_t start)
        : out_(out), remaining_(total), pos_(start) {
        pending_.reserve(kChunk);
    }
    std::array<std::uint8_t, Size>& bytes() { return ring_; }
    std::uint64_t remaining() const { return remaining_; }
    bool failed() const { return failed_; }

    void put(std::uint8_t b) {
        if (remaining_ == 0) return;
        --remaining_;
        ring_[pos_] = b;
        pos_ = (pos_ + 1) % Size;
        pending_.push_back(b);
        if (pending_.size() == kChunk) flush();
    }
    void copy(std::size_t start, std::size_t length) {
        for (std::size_t i = 0; i < length; ++i) put(ring_[(start + i) % Size]);
    }
    bool flush() {
        if (!pending_.empty() && !failed_ && !out_.write(pending_.data(), pending_.size()))
            failed_ = true;
        pending_.clear();
        return !failed_;
    }

  private:
    static constexpr std::size_t kChunk = 64 * 1024;
    Sink& out_;
    std::uint64_t remaining_;
    std::size_t pos_;
    std::array<std::uint8_t, Size> ring_{};
    std::vector<std::uint8_t> pending_;
    bool failed_ = false;
};

Status Finish(BitReader& bits, bool overran, bool failed, bool flushed) {
    if (failed || !flushed) return Status::kWriteFailed;
    if (bits.read_failed()) return Status::kReadFailed;
    return overran ? Status::kTruncated : Status::kOk;
}

// lzs: one flag bit per command; 1 = literal byte, 0 = 11-bit position and 4-bit length + 2.
class LzsDecoder final : public Decoder {
  public:
    Status decode(Source& in, std::uint64_t packed_size, std::uint64_t unpacked_size,
                  Sink& out) override {
        constexpr std::size_t kSize = 2048;
        BitReader bits(in, packed_size);
        auto ring = std::make_unique<Ring<kSize>>(out, unpacked_size, kSize - 17);
        ring->bytes().fill(' ');
        while (ring->remaining() > 0 && !bits.overran() && !ring->failed()) {
            if (bits.get(1)) {
                ring->put(static_cast<std::uint8_t>(bits.get(8)));
            } else {
                std::size_t pos = bits.get(11);
                std::size_t len = bits.get(4) + 2;
                ring->copy(pos, len);
            }
        }
        bool overran = bits.overran();
        return Finish(bits, overran, ring->failed(), ring->flush());
    }
};

// lz5: a flag byte for every eight commands, least significant bit first; 1 = literal byte,
// 0 = two bytes holding a 12-bit position and a 4-bit length + 3. The ring starts with
// runs and ramps of every byte value that early copies may refer to.
class Lz5Decoder final : public Decoder {
  public:
    Status decode(Source& in, std::uint64_t packed_size, std::uint64_t unpacked_size,
                  Sink& out) override {
        constexpr std::size_t kSize = 4096;
        BitReader bits(in, packed_size);
        auto ring = std::make_unique<Ring<kSize>>(out, unpacked_size, kSize - 18);
        fill_initial(ring->bytes());
        bool overran = false;
        while (ring->remaining() > 0 && !overran && !ring->failed()) {
            int flags = bits.byte();
            if (flags < 0) {
                overran = true;
                break;
            }
            for (int bit = 0; bit < 8 && ring->remaining() > 0; ++bit) {
                if (flags & (1 << bit)) {
                    int b = bits.byte();
                    if (b < 0) {
                        overran = true;
                        break;
                    }
                    ring->put(static_cast<std::uint8_t>(b));
                } else {
                    int lo = bits.byte();
                    int hi = bits.byte();
                    if (lo < 0 || hi < 0) {
                        overran = true;
                        break;
                    }
                    std::size_t pos =
                        static_cast<std::size_t>(lo) | (static_cast<std::size_t>(hi & 0xf0) << 4);
                    ring->copy(pos, static_cast<std::size_t>(hi & 0x0f) + 3);
                }
            }
        }
        return Finish(bits, overran, ring->failed(), ring->flush());
    }

  private:
    static void fill_initial(std::array<std::uint8_t, 4096>& r) {
        std::size_t p = 0;
        for (int v = 0; v < 256; ++v) {
            for (int n = 0; n < 13; ++n) r[p++] = static_cast<std::uint8_t>(v);
        }
        for (int v = 0; v < 256; ++v) r[p++] = static_cast<std::uint8_t>(v);
        for (int v = 0; v < 256; ++v) r[p++] = static_cast<std::uint8_t>(255 - v);
        for (int n = 0; n < 128; ++n) r[p++] = 0;
        for (int n = 0; n < 110; ++n) r[p++] = ' ';
        while (p < r.size()) r[p++] = 0;
    }
};

}  // namespace

std::unique_ptr<Decoder> MakeLzsDecoder() { return std::make_unique<LzsDecoder>(); }
std::unique_ptr<Decoder> MakeLz5Decoder() { return std::make_unique<Lz5Decoder>(); }

}  // namespace quorvex6::backend::codecs::lh
