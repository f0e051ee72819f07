#include "codecs/rar3/filters.h"

#include <array>
#include <cstdlib>

#include "io/byte_order.h"
#include "io/crc32.h"

namespace quorvex6::backend::codecs::rar3 {

namespace {

// x86 addresses are taken modulo this much, whatever the file's size.
constexpr std::uint32_t kCallSpace = 0x1000000;

std::uint32_t Calls(const Filter& f, std::uint8_t* data) {
    bool jumps = f.kind == FilterKind::kE8E9;
    for (std::uint32_t i = 0; i + 5 <= f.length; ++i) {
        if (data[i] != 0xE8 && !(jumps && data[i] == 0xE9)) continue;
        std::uint32_t position = f.file_offset + i + 1;
        auto address = static_cast<std::int32_t>(io::Le32(data + i + 1));
        if (address < 0) {
            if (position >= static_cast<std::uint32_t>(-static_cast<std::int64_t>(address)))
                io::StoreLe32(data + i + 1, static_cast<std::uint32_t>(address) + kCallSpace);
        } else if (static_cast<std::uint32_t>(address) < kCallSpace) {
            io::StoreLe32(data + i + 1, static_cast<std::uint32_t>(address) - position);
        }
        i += 4;
    }
    return 0;
}

// A field of an IA-64 bundle, `count` bits from bit `at`.
std::uint32_t BundleBits(const std::uint8_t* bundle, unsigned at, unsigned count) {
    return (io::Le32(bundle + at / 8) >> (at & 7)) & ((1u << count) - 1);
}
void SetBundleBits(std::uint8_t* bundle, std::uint32_t value, unsigned at, unsigned count) {
    std::uint32_t mask = ((1u << count) - 1) << (at & 7);
    std::uint32_t word = io::Le32(bundle + at / 8);
    io::StoreLe32(bundle + at / 8, (word & ~mask) | ((value << (at & 7)) & mask));
}

std::uint32_t Itanium(const Filter& f, std::uint8_t* data) {
    // Which of a bundle's three slots hold a branch, by its template.
    static constexpr std::array<std::uint8_t, 16> kBranchSlots = {4, 4, 6, 6, 0, 0, 7, 7,
                                                                  4, 4, 0, 0, 4, 4, 0, 0};
    std::uint32_t bundle_number = f.file_offset >> 4;
    for (std::uint32_t at = 0; at + 21 < f.length; at += 16, ++bundle_number) {
        std::uint8_t* bundle = data + at;
        unsigned kind = bundle[0] & 0x1F;
        if (kind < 0x10) continue;
        std::uint8_t slots = kBranchSlots[kind - 0x10];
        for (unsigned slot = 0; slot < 3; ++slot) {
            if ((slots & (1u << slot)) == 0) continue;
            unsigned base = slot * 41 + 5;
            if (BundleBits(bundle, base + 37, 4) != 5) continue;
            std::uint32_t target = BundleBits(bundle, base + 13, 20);
            SetBundleBits(bundle, (target - bundle_number) & 0xFFFFF, base + 13, 20);
        }
    }
    return 0;
}

std::uint32_t Delta(const Filter& f, std::uint8_t* data) {
    std::uint8_t* out = data + f.length;
    std::uint32_t from = 0;
    std::uint32_t channels = std::min(f.r0, f.length);
    for (std::uint32_t channel = 0; channel < channels; ++channel) {
        std::uint8_t previous = 0;
        for (std::uint32_t to = channel; to < f.length; to += channels) {
            previous = static_cast<std::uint8_t>(previous - data[from++]);
            out[to] = previous;
        }
    }
    return f.length;
}

std::optional<std::uint32_t> Rgb(const Filter& f, std::uint8_t* data) {
    std::uint32_t width = f.r0;
    if (f.length < 3 || width > f.length || width < 3 || f.r1 > 2) return std::nullopt;
    std::uint8_t* out = data + f.length;
    std::uint32_t from = 0;
    for (std::uint32_t plane = 0; plane < 3; ++plane) {
        std::uint8_t predicted = 0;
        for (std::uint32_t to = plane; to < f.length; to += 3) {
            if (to >= width) {
                // The pixel above and the one above-left, in this plane.
                int above = out[to - width + 3];
                int left_above = out[to - width];
                int d_above = std::abs(above - left_above);
                int d_left = std::abs(predicted - left_above);
                int d_both = std::abs(above - left_above + predicted - left_above);
                if (d_above > d_left || d_above > d_both)
                    predicted = static_cast<std::uint8_t>(d_left <= d_both ? above : left_above);
            }
            predicted = static_cast<std::uint8_t>(predicted - data[from++]);
            out[to] = predicted;
        }
    }
    for (std::uint32_t i = f.r1; i + 2 < f.length; i += 3) {
        out[i] = static_cast<std::uint8_t>(out[i] + out[i + 1]);
        out[i + 2] = static_cast<std::uint8_t>(out[i + 2] + out[i + 1]);
    }
    return f.length;
}

// One channel's adaptive predictor: three weights tuned every 32 samples toward the smallest
// accumulated error.
struct AudioChannel {
    std::array<int, 3> weight{};
    std::array<int, 3> delta{};
    std::array<std::uint32_t, 7> error{};
    int last_delta = 0;
    std::uint8_t last = 0;
    std::uint32_t count = 0;

    std::uint8_t Next(std::int8_t residual) {
        delta[2] = delta[1];
        delta[1] = last_delta - delta[0];
        delta[0] = last_delta;
        int predicted =
            8 * last + weight[0] * delta[0] + weight[1] * delta[1] + weight[2] * delta[2];
        auto value = static_cast<std::uint8_t>(((predicted >> 3) & 0xFF) - residual);
        int scaled = residual * 8;
        error[0] += static_cast<std::uint32_t>(std::abs(scaled));
        for (unsigned k = 0; k < 3; ++k) {
            error[1 + 2 * k] += static_cast<std::uint32_t>(std::abs(scaled - delta[k]));
            error[2 + 2 * k] += static_cast<std::uint32_t>(std::abs(scaled + delta[k]));
        }
        last_delta = static_cast<std::int8_t>(value - last);
        last = value;
        if ((count++ & 0x1F) == 0) Adapt();
        return value;
    }

    void Adapt() {
        unsigned best = 0;
        for (unsigned k = 1; k < error.size(); ++k)
            if (error[k] < error[best]) best = k;
        error.fill(0);
        if (best == 0) return;
        int& w = weight[(best - 1) / 2];
        if (best % 2 == 1 && w >= -16) --w;
        if (best % 2 == 0 && w < 16) ++w;
    }
};

std::uint32_t Audio(const Filter& f, std::uint8_t* data) {
    std::uint8_t* out = data + f.length;
    std::uint32_t from = 0;
    std::uint32_t channels = std::min(f.r0, f.length);
    for (std::uint32_t channel = 0; channel < channels; ++channel) {
        AudioChannel state;
        for (std::uint32_t to = channel; to < f.length; to += channels)
            out[to] = state.Next(static_cast<std::int8_t>(data[from++]));
    }
    return f.length;
}

}  // namespace

std::optional<FilterKind> IdentifyProgram(std::span<const std::uint8_t> code) {
    struct Known {
        std::uint32_t crc;
        std::size_t length;
        FilterKind kind;
    };
    static constexpr std::array<Known, 6> kKnown = {{
        {0xAD576887, 53, FilterKind::kE8},
        {0x3CD7E57E, 57, FilterKind::kE8E9},
        {0x3769893F, 120, FilterKind::kItanium},
        {0x0E06077D, 29, FilterKind::kDelta},
        {0x1C2C5DC8, 149, FilterKind::kRgb},
        {0xBC85E701, 216, FilterKind::kAudio},
    }};
    std::uint32_t crc = io::Crc32(0, code.data(), code.size());
    for (const Known& k : kKnown)
        if (k.crc == crc && k.length == code.size()) return k.kind;
    return std::nullopt;
}

std::optional<std::uint32_t> RunFilter(const Filter& filter, std::vector<std::uint8_t>& memory) {
    std::uint8_t* data = memory.data();
    switch (filter.kind) {
        case FilterKind::kE8:
        case FilterKind::kE8E9:
            return Calls(filter, data);
        case FilterKind::kItanium:
            return Itanium(filter, data);
        case FilterKind::kDelta:
            return Delta(filter, data);
        case FilterKind::kRgb:
            return Rgb(filter, data);
        case FilterKind::kAudio:
            return Audio(filter, data);
    }
    return std::nullopt;
}

}  // namespace quorvex6::backend::codecs::rar3
