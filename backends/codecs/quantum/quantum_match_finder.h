// Hash chains over the last window of a stream, searched as deep as the level asks.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quorvex6::backend::codecs::quantum {

struct Match {
    unsigned length = 0;  // 0: none worth coding
    std::uint32_t offset = 0;
};

struct SearchEffort {
    unsigned chain;  // candidates looked at per position
    unsigned nice;   // a match this long ends the search
    bool lazy;       // a literal first when the next position matches longer
    bool priced;     // choices weighed by their price with the models' frequencies
};

// Effort of levels 1..7.
SearchEffort EffortOf(unsigned level);

class MatchFinder {
  public:
    MatchFinder(unsigned window_bits, SearchEffort effort);

    // Bytes a finder of `window_bits` holds at most.
    static std::uint64_t Footprint(unsigned window_bits);

    void Reset();
    // Appends the next frame; the frames before it stay searchable as far as the window goes.
    void Append(std::span<const std::uint8_t> frame);
    // Bytes of the frame last appended.
    std::span<const std::uint8_t> Frame() const;
    // The best match that the stream can code at `at` (an index into Frame()), ending within
    // the frame. Positions must be asked in increasing order.
    Match Find(std::size_t at);
    // Each match longer than those before it, nearest first, whether or not its length can be
    // coded at its offset (a shorter piece of it may be); as Find for the rest.
    void FindAll(std::size_t at, std::vector<Match>& matches);

  private:
    // Offers `take` each match longer than the longest taken so far.
    template <class Take>
    void Walk(std::size_t at, Take take);
    void InsertUpTo(std::uint64_t end);  // hashes positions before `end` (stream positions)
    std::uint32_t Hash(std::size_t index) const;
    bool Codable(unsigned length, std::uint32_t offset) const;

    unsigned window_bits_;
    SearchEffort effort_;
    std::vector<std::uint8_t> buffer_;  // the window before the frame, then the frame
    std::uint64_t buffer_start_ = 0;    // stream position of buffer_[0]
    std::size_t frame_at_ = 0;          // index of the frame in buffer_
    std::uint64_t inserted_ = 0;        // positions hashed so far
    std::vector<std::uint32_t> head_;   // per hash: last position + 1, 0 for none
    std::vector<std::uint32_t> chain_;  // per position in the window: the one before, + 1
};

}  // namespace quorvex6::backend::codecs::quantum
