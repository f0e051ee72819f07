// The filters a RAR 2.9 stream has declared and not yet applied, in order, and the programs it
// has sent so far (a later filter may name an earlier program by number instead of resending
// it). Both are bounded: more is damage.
#pragma once
#include <cstdint>
#include <deque>
#include <span>
#include <vector>

#include "codecs/rar3/filters.h"

namespace quorvex6::backend::codecs::rar3 {

class FilterQueue {
  public:
    static constexpr std::size_t kMaxPending = 8192;
    static constexpr std::size_t kMaxPrograms = 1024;

    // Where the stream stands when a filter record arrives.
    struct Position {
        std::uint64_t written;     // bytes decoded so far in the stream
        std::uint64_t flushed;     // bytes already written out
        std::uint64_t file_start;  // where the current file began
        std::uint64_t file_end;
    };

    // Takes one filter record (its flags byte and body); false when it is damage or names a
    // program that is not a known filter.
    bool Add(std::uint8_t flags, std::span<const std::uint8_t> body, const Position& at);

    bool empty() const { return pending_.empty(); }
    const Filter& front() const { return pending_.front(); }
    void pop() { pending_.pop_front(); }
    void Clear();

  private:
    struct Program {
        FilterKind kind;
        std::uint32_t last_length = 0;  // a filter may reuse its program's previous length
    };

    std::deque<Filter> pending_;
    std::vector<Program> programs_;
    std::size_t last_program_ = 0;
};

}  // namespace quorvex6::backend::codecs::rar3
