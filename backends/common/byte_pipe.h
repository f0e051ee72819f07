// A bounded byte queue between a producer that pushes (a library's write callback) and a codec
// that pulls on another thread. Push blocks while kCapacity bytes or kMaxPieces pieces wait
// (one push may pass it, so memory stays below about twice kCapacity plus one piece); Close
// ends the stream; Break ends it as failed once what was pushed has been pulled (a decoder
// that hit damage hands on everything it decoded before it); Fail makes both sides give up at
// once.
//
// A side that would wait may do shared work instead (ShareIdleTime): the producer when it is
// ahead, the consumer when it is behind, so two threads can keep two processors busy.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace quorvex6::backend {

// Work that may be done by whichever thread has nothing else to do; thread-safe.
class IdleWork {
  public:
    virtual ~IdleWork() = default;
    // Does one piece of work, keeping its failure for its owner; false when there is none.
    virtual bool RunOne() noexcept = 0;
};

class BytePipe {
  public:
    static constexpr size_t kCapacity = 8 << 20;
    static constexpr size_t kMaxPieces = 1024;  // bounds the memory of many short pieces

    bool Push(const uint8_t* data, size_t size);  // false once failed
    // For a producer that makes its bytes in memory: room for `size` bytes (a piece the
    // consumer is done with, when there is one), handed over with Commit instead of a copy.
    uint8_t* Room(size_t size);
    bool Commit(size_t size);  // the room's first `size` bytes; false once failed
    // Up to `size` bytes; 0 when closed and drained; -1 when failed, or broken and drained.
    std::ptrdiff_t Pull(uint8_t* data, size_t size);
    void Close();
    // For a producer that is done: waits (doing idle work meanwhile) until everything pushed
    // was pulled or the pipe failed.
    void WaitUntilDrained();
    void Break();
    void Fail();
    // Work for a waiting side, or nullptr for none; returns once no side is doing the old work.
    void ShareIdleTime(IdleWork* work);

  private:
    template <class Ready>
    void WaitFor(std::unique_lock<std::mutex>& lock, Ready ready);

    std::mutex mutex_;
    std::condition_variable changed_;
    static constexpr size_t kSpares = 8;
    struct Piece {
        std::vector<uint8_t> bytes;
        size_t size;  // of bytes, those pushed
    };
    std::deque<Piece> pieces_;                  // pushed, whole
    size_t front_used_ = 0;                     // bytes of pieces_.front() already pulled
    std::vector<std::vector<uint8_t>> spares_;  // pulled pieces, for Room
    std::vector<uint8_t> room_;                 // the producer's, between Room and Commit
    size_t waiting_ = 0;                        // bytes not yet pulled
    bool closed_ = false;
    bool broken_ = false;
    bool failed_ = false;
    IdleWork* idle_work_ = nullptr;
    int helping_ = 0;  // sides doing idle work now
    bool withdrawing_ = false;
};

}  // namespace quorvex6::backend
