#include "codecs/lzx/lzx_matcher.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace quorvex6::backend::codecs::lzx {

namespace {

constexpr unsigned kHashBits = 16;
constexpr std::uint32_t kNone = 0xFFFFFFFF;
constexpr std::uint32_t kSlack = 8;
constexpr unsigned kChainDepth = 24;
constexpr std::uint32_t kNiceLength = 96;
// A three-byte match far away costs more than its literals.
constexpr std::uint32_t kFarForThree = 1 << 14;

std::uint64_t Load64(const std::uint8_t* p) {
    std::uint64_t v = 0;
    std::memcpy(&v, p, sizeof v);
    return v;
}

}  // namespace

Matcher::Matcher(unsigned window_bits)
    : window_size_(std::uint32_t{1} << window_bits),
      max_offset_(window_size_ - 3),
      data_(2 * std::size_t{window_size_} + kSlack),
      head_(std::size_t{1} << kHashBits),
      prev_(window_size_) {
    Reset();
}

void Matcher::Reset() {
    end_ = frame_ = inserted_ = 0;
    std::fill(head_.begin(), head_.end(), kNone);
}

std::span<std::uint8_t> Matcher::NextFrame(std::size_t size) {
    if (end_ + size > 2 * window_size_) {
        // Frames are whole until the last, so the window is full here: keep its second half.
        std::memmove(data_.data(), data_.data() + window_size_, window_size_);
        auto rebase = [this](std::uint32_t& p) {
            p = p == kNone || p < window_size_ ? kNone : p - window_size_;
        };
        for (std::uint32_t& p : head_) rebase(p);
        for (std::uint32_t& p : prev_) rebase(p);
        end_ -= window_size_;
        inserted_ -= window_size_;
    }
    frame_ = end_;
    end_ += static_cast<std::uint32_t>(size);
    std::fill_n(data_.data() + end_, kSlack, 0);
    return {data_.data() + frame_, size};
}

std::uint32_t Matcher::Hash(std::uint32_t at) const {
    std::uint32_t v = data_[at] | (data_[at + 1] << 8) | (data_[at + 2] << 16);
    return (v * 0x9E3779B1u) >> (32 - kHashBits);
}

void Matcher::InsertUpTo(std::uint32_t at) {
    at = std::min(at, end_ < 2 ? 0 : end_ - 2);
    for (; inserted_ < at; ++inserted_) {
        std::uint32_t h = Hash(inserted_);
        prev_[inserted_ & (window_size_ - 1)] = head_[h];
        head_[h] = inserted_;
    }
}

std::uint32_t Matcher::Common(std::uint32_t a, std::uint32_t b, std::uint32_t limit) const {
    std::uint32_t n = 0;
    while (n < limit) {
        std::uint64_t diff = Load64(&data_[a + n]) ^ Load64(&data_[b + n]);
        if (diff != 0)
            return std::min(limit, n + static_cast<std::uint32_t>(std::countr_zero(diff) / 8));
        n += 8;
    }
    return limit;
}

Matcher::Found Matcher::Best(std::uint32_t at, std::uint32_t limit,
                             const std::array<std::uint32_t, kRepeatOffsets>& repeats) {
    Found rep;
    for (unsigned r = 0; r < kRepeatOffsets; ++r) {
        std::uint32_t offset = repeats[r];
        if (offset == 0 || offset > at || offset > max_offset_) continue;
        std::uint32_t n = Common(at - offset, at, limit);
        if (n > rep.length) rep = {n, offset, static_cast<int>(r)};
    }
    if (rep.length >= kNiceLength || limit < 3) return rep.length >= kMinMatch ? rep : Found{};

    Found far;
    InsertUpTo(at);
    std::uint32_t candidate = head_[Hash(at)];
    for (unsigned depth = kChainDepth; candidate != kNone && depth != 0; --depth) {
        std::uint32_t offset = at - candidate;
        if (offset > max_offset_) break;
        if (data_[candidate + far.length] == data_[at + far.length]) {
            std::uint32_t n = Common(candidate, at, limit);
            if (n > far.length) {
                far = {n, offset, -1};
                if (n >= kNiceLength || n == limit) break;
            }
        }
        candidate = prev_[candidate & (window_size_ - 1)];
    }
    if (far.length == 3 && far.offset >= kFarForThree) far = Found{};
    // A repeat costs a few bits where a new offset costs up to 17 more.
    if (rep.length >= kMinMatch && rep.length + 1 >= far.length) return rep;
    return far.length >= 3 ? far : Found{};
}

void Matcher::Match(std::array<std::uint32_t, kRepeatOffsets>& repeats, std::vector<Item>& items) {
    items.clear();
    std::uint32_t at = frame_;
    auto literal = [&](std::uint32_t p) { items.push_back({0, 0, data_[p], 0}); };
    while (at < end_) {
        Found m = Best(at, std::min(kMaxMatch, end_ - at), repeats);
        if (m.length == 0) {
            literal(at++);
            continue;
        }
        // Lazy: a longer match one byte on is worth a literal.
        while (m.length < kNiceLength && at + 1 < end_) {
            Found next = Best(at + 1, std::min(kMaxMatch, end_ - at - 1), repeats);
            if (next.length <= m.length) break;
            literal(at++);
            m = next;
        }
        Item item;
        item.length = static_cast<std::uint16_t>(m.length);
        if (m.repeat >= 0) {
            auto r = static_cast<unsigned>(m.repeat);
            item.slot = static_cast<std::uint8_t>(r);
            std::swap(repeats[0], repeats[r]);
        } else {
            unsigned slot = SlotOf(m.offset);
            item.slot = static_cast<std::uint8_t>(slot);
            item.footer = m.offset + 2 - kSlots.base[slot];
            repeats[2] = repeats[1];
            repeats[1] = repeats[0];
            repeats[0] = m.offset;
        }
        items.push_back(item);
        at += m.length;
    }
}

}  // namespace quorvex6::backend::codecs::lzx
