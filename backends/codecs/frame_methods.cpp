// The frame codecs' rows of the method table, each codec behind the one frame shape.
//
// Ids: "mszip" (deflate blocks, each with the previous block as dictionary; one fixed 32 KiB
// window), "lzx" (window 2^15..2^21), "quantum" (window 2^10..2^21, levels 1..7).
#include <array>

#include "codecs/lzx/lzx_decoder.h"
#include "codecs/lzx/lzx_encoder.h"
#include "codecs/method_tables.h"
#include "codecs/mszip/mszip.h"
#include "codecs/quantum/quantum.h"

namespace quorvex6::backend::codecs {

namespace {

static_assert(mszip::kBlockLimit == kFrameLimit && lzx::kFrameSize == kFrameLimit &&
              quantum::kFrameLimit == kFrameLimit);

class MszipDecoder final : public FrameDecoder {
  public:
    void Reset() override { decoder_.Reset(); }
    Status Decode(std::span<const std::uint8_t> in, std::span<std::uint8_t> out) override {
        return decoder_.Decode(in, out);
    }

  private:
    mszip::BlockDecoder decoder_;
};

class MszipEncoder final : public FrameEncoder {
  public:
    explicit MszipEncoder(int level) : encoder_(level) {}
    void Reset() override { previous_.clear(); }
    void Encode(std::span<const std::uint8_t> in, std::vector<PackedFrame>& done) override {
        PackedFrame& frame = done.emplace_back();
        encoder_.Encode(in, previous_, frame.bytes);
        frame.size = static_cast<std::uint32_t>(in.size());
        previous_.assign(in.begin(), in.end());
    }
    void Finish(std::vector<PackedFrame>&) override {}

  private:
    mszip::BlockEncoder encoder_;
    std::vector<std::uint8_t> previous_;  // the last frame's input: the next one's dictionary
};

class LzxDecoder final : public FrameDecoder {
  public:
    explicit LzxDecoder(unsigned window_bits) : decoder_(window_bits) {}
    void Reset() override { decoder_.Reset(); }
    Status Decode(std::span<const std::uint8_t> in, std::span<std::uint8_t> out) override {
        return decoder_.DecodeFrame(in, out);
    }

  private:
    lzx::Decoder decoder_;
};

class LzxEncoder final : public FrameEncoder {
  public:
    explicit LzxEncoder(unsigned window_bits) : encoder_(window_bits) {}
    void Reset() override { encoder_.Reset(); }
    void Encode(std::span<const std::uint8_t> in, std::vector<PackedFrame>& done) override {
        encoder_.EncodeFrame(in, done);
    }
    void Finish(std::vector<PackedFrame>& done) override { encoder_.Finish(done); }

  private:
    lzx::Encoder encoder_;
};

class QuantumDecoder final : public FrameDecoder {
  public:
    explicit QuantumDecoder(unsigned window_bits) : decoder_(window_bits) {}
    void Reset() override { decoder_.Reset(); }
    Status Decode(std::span<const std::uint8_t> in, std::span<std::uint8_t> out) override {
        return decoder_.Decode(in, out);
    }

  private:
    quantum::FrameDecoder decoder_;
};

class QuantumEncoder final : public FrameEncoder {
  public:
    QuantumEncoder(unsigned window_bits, unsigned level) : encoder_(window_bits, level) {}
    void Reset() override { encoder_.Reset(); }
    void Encode(std::span<const std::uint8_t> in, std::vector<PackedFrame>& done) override {
        PackedFrame& frame = done.emplace_back();
        encoder_.Encode(in, frame.bytes);
        frame.size = static_cast<std::uint32_t>(in.size());
    }
    void Finish(std::vector<PackedFrame>&) override {}

  private:
    quantum::FrameEncoder encoder_;
};

std::unique_ptr<FrameDecoder> mszip_decoder(const FrameSetup&) {
    return std::make_unique<MszipDecoder>();
}
std::unique_ptr<FrameEncoder> mszip_encoder(const FrameSetup& setup) {
    return std::make_unique<MszipEncoder>(setup.level);
}
std::unique_ptr<FrameDecoder> lzx_decoder(const FrameSetup& setup) {
    return std::make_unique<LzxDecoder>(setup.window_bits);
}
std::unique_ptr<FrameEncoder> lzx_encoder(const FrameSetup& setup) {
    return std::make_unique<LzxEncoder>(setup.window_bits);
}
std::unique_ptr<FrameDecoder> quantum_decoder(const FrameSetup& setup) {
    return std::make_unique<QuantumDecoder>(setup.window_bits);
}
std::unique_ptr<FrameEncoder> quantum_encoder(const FrameSetup& setup) {
    return std::make_unique<QuantumEncoder>(setup.window_bits, static_cast<unsigned>(setup.level));
}
std::uint64_t quantum_footprint(const FrameSetup& setup) {
    return quantum::FrameEncoder::Footprint(setup.window_bits);
}

constexpr std::array kMethods = {
    // Levels: mszip::kDefaultLevel for the encoder's own search, else zlib's.
    FrameMethod{"mszip", 15, 15, mszip::kDefaultLevel, 9, mszip_decoder, mszip_encoder, nullptr},
    FrameMethod{"lzx", lzx::kMinWindowBits, lzx::kMaxWindowBits, 0, 0, lzx_decoder, lzx_encoder,
                nullptr},
    FrameMethod{"quantum", quantum::kMinWindowBits, quantum::kMaxWindowBits,
                static_cast<int>(quantum::kMinLevel), static_cast<int>(quantum::kMaxLevel),
                quantum_decoder, quantum_encoder, quantum_footprint},
};

}  // namespace

FrameMethodTable FrameMethods() { return kMethods; }

}  // namespace quorvex6::backend::codecs
