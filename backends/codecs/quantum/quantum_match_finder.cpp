#include "codecs/quantum/quantum_match_finder.h"

#include <algorithm>

#include "codecs/quantum/quantum_slots.h"

namespace quorvex6::backend::codecs::quantum {

namespace {
constexpr unsigned kHashBits = 16;
// The buffer slides once it holds this much beyond the window, so that it moves rarely.
constexpr std::size_t kSlack = std::size_t{1} << 20;
constexpr std::size_t kFrame = 32768;

// The window, the slack and the frame being appended.
std::size_t BufferLimit(unsigned window_bits) {
    return (std::size_t{1} << window_bits) + kSlack + kFrame;
}
}  // namespace

SearchEffort EffortOf(unsigned level) {
    static constexpr SearchEffort kEfforts[] = {
        {4, 16, false, false}, {8, 32, false, false}, {16, 64, false, false}, {16, 64, true, false},
        {16, 96, true, true},  {32, 128, true, true}, {64, 259, true, true},
    };
    return kEfforts[std::clamp(level, 1u, 7u) - 1];
}

MatchFinder::MatchFinder(unsigned window_bits, SearchEffort effort)
    : window_bits_(window_bits),
      effort_(effort),
      head_(std::size_t{1} << kHashBits),
      chain_(std::size_t{1} << window_bits) {
    buffer_.reserve(BufferLimit(window_bits));
}

std::uint64_t MatchFinder::Footprint(unsigned window_bits) {
    return BufferLimit(window_bits) + sizeof(std::uint32_t) * ((std::uint64_t{1} << kHashBits) +
                                                               (std::uint64_t{1} << window_bits));
}

void MatchFinder::Reset() {
    buffer_.clear();
    buffer_start_ = 0;
    frame_at_ = 0;
    inserted_ = 0;
    std::fill(head_.begin(), head_.end(), 0u);
}

void MatchFinder::Append(std::span<const std::uint8_t> frame) {
    std::size_t window = std::size_t{1} << window_bits_;
    if (buffer_.size() > window + kSlack) {
        std::size_t drop = buffer_.size() - window;
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(drop));
        buffer_start_ += drop;
    }
    frame_at_ = buffer_.size();
    buffer_.insert(buffer_.end(), frame.begin(), frame.end());
}

std::span<const std::uint8_t> MatchFinder::Frame() const {
    return std::span(buffer_).subspan(frame_at_);
}

std::uint32_t MatchFinder::Hash(std::size_t index) const {
    std::uint32_t v = std::uint32_t{buffer_[index]} << 16 | std::uint32_t{buffer_[index + 1]} << 8 |
                      buffer_[index + 2];
    return (v * 2654435761u) >> (32 - kHashBits);
}

void MatchFinder::InsertUpTo(std::uint64_t end) {
    std::uint64_t hashable = buffer_start_ + buffer_.size() - (kMinMatch - 1);
    end = std::min(end, hashable);
    std::uint32_t mask = (1u << window_bits_) - 1;
    for (; inserted_ < end; ++inserted_) {
        std::uint32_t& head = head_[Hash(static_cast<std::size_t>(inserted_ - buffer_start_))];
        chain_[static_cast<std::uint32_t>(inserted_) & mask] = head;
        head = static_cast<std::uint32_t>(inserted_ + 1);
    }
}

bool MatchFinder::Codable(unsigned length, std::uint32_t offset) const {
    unsigned slots = 2 * window_bits_;
    unsigned slot = PositionSlot(offset - 1);
    if (length == 3) return slot < std::min(slots, kShortPositionSlots);
    if (length == 4) return slot < std::min(slots, kMiddlePositionSlots);
    return slot < slots;
}

template <class Take>
void MatchFinder::Walk(std::size_t at, Take take) {
    std::size_t index = frame_at_ + at;
    std::uint64_t position = buffer_start_ + index;
    InsertUpTo(position);
    auto limit = static_cast<unsigned>(std::min<std::size_t>(kMaxMatch, buffer_.size() - index));
    if (limit >= kMinMatch) {
        std::uint64_t window = std::uint64_t{1} << window_bits_;
        std::uint32_t mask = static_cast<std::uint32_t>(window) - 1;
        const std::uint8_t* here = &buffer_[index];
        std::uint32_t candidate = head_[Hash(index)];
        unsigned longest = 0;
        for (unsigned tries = effort_.chain; candidate != 0 && tries != 0; --tries) {
            std::uint64_t from = candidate - 1;
            std::uint64_t offset = position - from;
            if (from >= position || offset > window) break;
            const std::uint8_t* there = &buffer_[static_cast<std::size_t>(from - buffer_start_)];
            if (there[longest] == here[longest]) {
                unsigned length = 0;
                while (length < limit && there[length] == here[length]) ++length;
                if (length >= kMinMatch && length > longest &&
                    take(length, static_cast<std::uint32_t>(offset))) {
                    longest = length;
                    if (length >= effort_.nice || length == limit) break;
                }
            }
            std::uint32_t next = chain_[static_cast<std::uint32_t>(from) & mask];
            if (next >= candidate) break;  // the slot was reused by a later position
            candidate = next;
        }
    }
    InsertUpTo(position + 1);
}

Match MatchFinder::Find(std::size_t at) {
    Match best;
    Walk(at, [&](unsigned length, std::uint32_t offset) {
        if (!Codable(length, offset)) return false;
        best = {length, offset};
        return true;
    });
    return best;
}

void MatchFinder::FindAll(std::size_t at, std::vector<Match>& matches) {
    matches.clear();
    Walk(at, [&](unsigned length, std::uint32_t offset) {
        matches.push_back({length, offset});
        return true;
    });
}

}  // namespace quorvex6::backend::codecs::quantum
