// MSB-first bit writer into a Sink, buffered; counts what it has written so that an encoder can
// give up once its output passes the caller's limit.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "codecs/codec.h"

namespace quorvex6::backend::codecs::lh {

class BitWriter {
  public:
    explicit BitWriter(Sink& out);

    // n <= 32; value holds exactly n significant bits.
    void put(int n, std::uint32_t value) {
        if (n == 0) return;
        bits_ |= static_cast<std::uint64_t>(value) << (64 - count_ - n);
        count_ += n;
        if (count_ >= 32) spill_word();
    }
    // Pads the last byte with zero bits and pushes everything to the Sink.
    bool finish();
    std::uint64_t written() const {
        return flushed_ + pos_ + static_cast<std::uint64_t>(count_ / 8);
    }
    // Bits put so far, without the padding finish() adds.
    std::uint64_t bit_count() const {
        return (flushed_ + pos_) * 8 + static_cast<std::uint64_t>(count_);
    }
    // Puts the first `bits` bits of a stream another writer produced, MSB first.
    void append(const std::uint8_t* data, std::uint64_t bits);
    bool failed() const { return failed_; }

    // A run of puts with the pending bits in registers: the writer's own members would be
    // reloaded and stored around every code, as any byte stored to the buffer may alias them.
    // The writer takes the bits back when the burst ends; nothing else may put meanwhile.
    class Burst {
      public:
        explicit Burst(BitWriter& w) : w_(w), bits_(w.bits_), count_(w.count_) {}
        ~Burst() {
            w_.bits_ = bits_;
            w_.count_ = count_;
        }
        Burst(const Burst&) = delete;
        Burst& operator=(const Burst&) = delete;

        // n <= 32, as for BitWriter::put; no test for n == 0, whose value is 0 as well.
        void put(int n, std::uint32_t value) {
            // Two shifts, as 64 - count_ - n may be 64.
            bits_ |= static_cast<std::uint64_t>(value) << (63 - count_ - n) << 1;
            count_ += n;
            if (count_ >= 32) {
                w_.bits_ = bits_;
                w_.count_ = count_;
                w_.spill_word();
                bits_ = w_.bits_;
                count_ = w_.count_;
            }
        }

      private:
        BitWriter& w_;
        std::uint64_t bits_;
        int count_;
    };

  private:
    // The top 32 bits out in one store: a byte at a time cost a loop per code.
    void spill_word() {
        auto word = static_cast<std::uint32_t>(bits_ >> 32);
        if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap32(word);
        std::memcpy(buffer_.get() + pos_, &word, sizeof word);
        pos_ += sizeof word;
        bits_ <<= 32;
        count_ -= 32;
        if (pos_ >= kBufferSize - 8) flush();
    }
    void spill() {
        while (count_ >= 8) {
            buffer_[pos_++] = static_cast<std::uint8_t>(bits_ >> 56);
            bits_ <<= 8;
            count_ -= 8;
        }
        if (pos_ >= kBufferSize - 8) flush();
    }
    void flush();

    static constexpr std::size_t kBufferSize = 16 * 1024;

    Sink& out_;
    // Left unfilled: small files would spend longer zeroing it than coding.
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::size_t pos_ = 0;
    std::uint64_t bits_ = 0;
    int count_ = 0;
    std::uint64_t flushed_ = 0;
    bool failed_ = false;
};

}  // namespace quorvex6::backend::codecs::lh
