#include "codecs/lzx/lzx_matcher.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace quorvex6::backend::codecs::lzx {

namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFF;
constexpr std::uint32_t kSlack = 8;
constexpr unsigned kHashMinBits = 12;
constexpr unsigned kHeadBytes = 4;  // what a bucket matches on
constexpr std::uint32_t kNiceLength = 96;
// After 2^kSkipShift positions in a row without a match, every other one is searched, and so on.
constexpr unsigned kSkipShift = 5;
constexpr std::uint32_t kPrefetchAhead = 6;
constexpr std::uint32_t kShortMatch = 4;
constexpr std::uint32_t kFarForShort = 1 << 15;
// Three-byte matches, found through a small table of their own, are worth it only close by.
constexpr unsigned kNearBits = 14;
constexpr std::uint32_t kNearMatch = 3;
constexpr std::uint32_t kNearReach = 1 << 12;
// Matches up to this long have every position remembered.
constexpr std::uint32_t kDenseLength = 32;

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
      hash_shift_(32 - std::max(kHashMinBits, window_bits - 4)),
      buckets_(std::size_t{1} << (32 - hash_shift_)),
      near_(std::size_t{1} << kNearBits) {
    slid_ = true;
    Reset();
}

void Matcher::Reset() {
    Bucket empty;
    empty.position.fill(kNone);
    empty.head.fill(0);
    std::fill(near_.begin(), near_.end(), kNone);
    if (slid_ || inserted_ > buckets_.size()) {
        std::fill(buckets_.begin(), buckets_.end(), empty);
    } else {
        // A small stream touched few buckets: find them again by its bytes.
        for (std::uint32_t at = 0; at < inserted_; ++at) BucketOf(HeadAt(at)) = empty;
    }
    end_ = frame_ = inserted_ = 0;
    slid_ = false;
}

std::span<std::uint8_t> Matcher::NextFrame(std::size_t size) {
    if (end_ + size > 2 * window_size_) {
        // Frames are whole until the last, so the window is full here: keep its second half.
        std::memmove(data_.data(), data_.data() + window_size_, window_size_);
        auto rebase = [this](std::uint32_t& p) {
            p = p == kNone || p < window_size_ ? kNone : p - window_size_;
        };
        for (Bucket& b : buckets_)
            for (std::uint32_t& p : b.position) rebase(p);
        for (std::uint32_t& p : near_) rebase(p);
        end_ -= window_size_;
        inserted_ -= window_size_;
        slid_ = true;
    }
    frame_ = end_;
    end_ += static_cast<std::uint32_t>(size);
    std::fill_n(data_.data() + end_, kSlack, 0);
    return {data_.data() + frame_, size};
}

std::uint32_t Matcher::HeadAt(std::uint32_t at) const {
    std::uint32_t v = 0;
    std::memcpy(&v, &data_[at], sizeof v);
    return v;
}

std::uint32_t Matcher::NearOf(std::uint32_t head) {
    return ((head & 0xFFFFFF) * 0x9E3779B1u) >> (32 - kNearBits);
}

void Matcher::InsertUpTo(std::uint32_t at) {
    at = std::min(at, end_ < kHeadBytes ? 0 : end_ - (kHeadBytes - 1));
    for (; inserted_ < at; ++inserted_) {
        // Buckets are far apart in memory: the one wanted a few positions on is fetched now.
        if (inserted_ + kPrefetchAhead + kHeadBytes <= end_)
            __builtin_prefetch(&BucketOf(HeadAt(inserted_ + kPrefetchAhead)));
        std::uint32_t head = HeadAt(inserted_);
        near_[NearOf(head)] = inserted_;
        Bucket& b = BucketOf(head);
        for (unsigned i = Bucket::kWays - 1; i != 0; --i) {
            b.position[i] = b.position[i - 1];
            b.head[i] = b.head[i - 1];
        }
        b.position[0] = inserted_;
        b.head[0] = head;
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
    if (rep.length >= kNiceLength) return rep;

    Found far;
    if (limit < kHeadBytes) return rep.length >= kMinMatch ? rep : Found{};
    InsertUpTo(at);
    std::uint32_t head = HeadAt(at);
    const Bucket& b = BucketOf(head);
    for (unsigned i = 0; i < Bucket::kWays; ++i) {
        std::uint32_t candidate = b.position[i];
        if (candidate == kNone || at - candidate > max_offset_) break;  // newest first
        if (b.head[i] != head) continue;
        std::uint32_t n = Common(candidate, at, limit);
        if (n > far.length) {
            far = {n, at - candidate, -1};
            if (n >= kNiceLength || n == limit) break;
        }
    }
    if (far.length < kHeadBytes) {
        std::uint32_t candidate = near_[NearOf(head)];
        if (candidate != kNone && at - candidate <= kNearReach) {
            std::uint32_t n = Common(candidate, at, limit);
            if (n >= kNearMatch) far = {n, at - candidate, -1};
        }
    }
    // A short match far away costs more than its literals.
    if (far.length <= kShortMatch && far.offset > kFarForShort) far = Found{};
    // A repeat costs a few bits where a new offset costs up to 17 more.
    if (rep.length >= kMinMatch && rep.length + 1 >= far.length) return rep;
    return far;
}

void Matcher::Match(std::array<std::uint32_t, kRepeatOffsets>& repeats, std::vector<Item>& items) {
    items.clear();
    std::uint32_t at = frame_;
    auto literal = [&](std::uint32_t p) { items.push_back({0, 0, data_[p], 0}); };
    std::uint32_t misses = 0;
    while (at < end_) {
        Found m = Best(at, std::min(kMaxMatch, end_ - at), repeats);
        if (m.length == 0) {
            // Data that does not repeat is searched ever more sparsely, as it costs the most.
            // Positions passed over are not remembered either: such data seldom comes again.
            std::uint32_t step = std::min(1 + (misses++ >> kSkipShift), end_ - at);
            for (std::uint32_t i = 0; i < step; ++i) literal(at++);
            if (step > 1) inserted_ = std::max(inserted_, at - 1);
            continue;
        }
        misses = 0;
        // Lazy: a longer match one byte on is worth a literal.
        while (m.length < kNiceLength && at + 1 < end_) {
            Found next = Best(at + 1, std::min(kMaxMatch, end_ - at - 1), repeats);
            if (next.length < m.length + (next.repeat < 0 && m.repeat >= 0 ? 2 : 1)) break;
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
        if (m.length > kDenseLength) {
            // The middle of a long match is left out: its start and end find the same data.
            InsertUpTo(at + kDenseLength / 2);
            inserted_ = std::max(inserted_, at + m.length - kDenseLength / 2);
        }
        at += m.length;
    }
}

}  // namespace quorvex6::backend::codecs::lzx
