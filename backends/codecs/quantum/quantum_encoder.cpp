#include "codecs/quantum/quantum.h"
#include "codecs/quantum/quantum_frame_writer.h"
#include "codecs/quantum/quantum_parse.h"
#include "codecs/quantum/quantum_prices.h"
#include "codecs/quantum/quantum_slots.h"

namespace quorvex6::backend::codecs::quantum {

namespace {

constexpr unsigned kSelectorShort = 4, kSelectorMiddle = 5, kSelectorLong = 6;
// Stretches priced at once: short enough that the models' prices do not drift far.
constexpr std::size_t kPricedStretch = 4096;

void PutLiteral(FrameWriter& writer, ModelSet& models, std::uint8_t byte) {
    unsigned group = byte >> 6;
    writer.Encode(models.selector, group);
    writer.Encode(models.literals[group], byte);
}

void PutMatch(FrameWriter& writer, ModelSet& models, Match match) {
    unsigned distance = match.offset - 1;
    unsigned slot = PositionSlot(distance);
    if (match.length == 3) {
        writer.Encode(models.selector, kSelectorShort);
        writer.Encode(models.short_positions, slot);
    } else if (match.length == 4) {
        writer.Encode(models.selector, kSelectorMiddle);
        writer.Encode(models.middle_positions, slot);
    } else {
        unsigned excess = match.length - kMinLongLength;
        unsigned length_slot = LengthSlot(excess);
        writer.Encode(models.selector, kSelectorLong);
        writer.Encode(models.long_lengths, length_slot);
        writer.Raw(excess - kSlots.length_base[length_slot], kSlots.length_extra[length_slot]);
        writer.Encode(models.long_positions, slot);
    }
    writer.Raw(distance - kSlots.position_base[slot], kSlots.position_extra[slot]);
}

}  // namespace

FrameEncoder::FrameEncoder(unsigned window_bits, unsigned level)
    : models_(window_bits),
      window_bits_(window_bits),
      effort_(EffortOf(level)),
      finder_(window_bits, effort_) {}

std::uint64_t FrameEncoder::Footprint(unsigned window_bits) {
    return MatchFinder::Footprint(window_bits) + sizeof(ModelSet) + (std::uint64_t{1} << 12);
}

void FrameEncoder::Reset() {
    models_ = ModelSet(window_bits_);
    finder_.Reset();
}

void FrameEncoder::Encode(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& out) {
    out.clear();
    finder_.Append(in);
    std::span<const std::uint8_t> frame = finder_.Frame();
    FrameWriter writer(out);
    if (effort_.priced) {
        EncodePriced(frame, writer);
    } else {
        EncodeGreedy(frame, writer);
    }
    writer.Finish();
}

void FrameEncoder::EncodePriced(std::span<const std::uint8_t> frame, FrameWriter& writer) {
    for (std::size_t start = 0; start < frame.size(); start += kPricedStretch) {
        std::size_t end = std::min(frame.size(), start + kPricedStretch);
        parser_.Parse(finder_, frame, start, end, PricesOf(models_), effort_.nice, steps_);
        std::size_t at = start;
        for (const Match& step : steps_) {
            if (step.length == 0) {
                PutLiteral(writer, models_, frame[at++]);
            } else {
                PutMatch(writer, models_, step);
                at += step.length;
            }
        }
    }
}

void FrameEncoder::EncodeGreedy(std::span<const std::uint8_t> frame, FrameWriter& writer) {
    std::size_t at = 0;
    Match match = finder_.Find(0);
    while (at < frame.size()) {
        if (match.length == 0) {
            PutLiteral(writer, models_, frame[at]);
            if (++at < frame.size()) match = finder_.Find(at);
            continue;
        }
        if (effort_.lazy && at + 1 < frame.size()) {
            Match next = finder_.Find(at + 1);
            if (next.length > match.length) {
                PutLiteral(writer, models_, frame[at]);
                ++at;
                match = next;
                continue;
            }
        }
        PutMatch(writer, models_, match);
        at += match.length;
        if (at < frame.size()) match = finder_.Find(at);
    }
}

}  // namespace quorvex6::backend::codecs::quantum
