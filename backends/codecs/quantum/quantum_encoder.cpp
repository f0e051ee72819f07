#include "codecs/quantum/quantum.h"
#include "codecs/quantum/quantum_frame_writer.h"
#include "codecs/quantum/quantum_slots.h"

namespace quorvex6::backend::codecs::quantum {

namespace {

constexpr unsigned kSelectorShort = 4, kSelectorMiddle = 5, kSelectorLong = 6;

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
      lazy_(EffortOf(level).lazy),
      finder_(window_bits, EffortOf(level)) {}

void FrameEncoder::Reset() {
    models_ = ModelSet(window_bits_);
    finder_.Reset();
}

void FrameEncoder::Encode(std::span<const std::uint8_t> in, std::vector<std::uint8_t>& out) {
    out.clear();
    finder_.Append(in);
    std::span<const std::uint8_t> frame = finder_.Frame();
    FrameWriter writer(out);
    std::size_t at = 0;
    Match match = finder_.Find(0);
    while (at < frame.size()) {
        if (match.length == 0) {
            PutLiteral(writer, models_, frame[at]);
            if (++at < frame.size()) match = finder_.Find(at);
            continue;
        }
        if (lazy_ && at + 1 < frame.size()) {
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
    writer.Finish();
}

}  // namespace quorvex6::backend::codecs::quantum
