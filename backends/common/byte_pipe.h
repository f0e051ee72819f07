// A bounded byte queue between a producer that pushes (a library's write callback) and a codec
// that pulls on another thread. Push blocks while kCapacity bytes wait (one push may pass it,
// so memory stays below kCapacity plus one piece); Close ends the stream; Break ends it as
// failed once what was pushed has been pulled (a decoder that hit damage hands on everything
// it decoded before it); Fail makes both sides give up at once.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace quorvex6::backend {

class BytePipe {
  public:
    static constexpr size_t kCapacity = 8 << 20;

    bool Push(const uint8_t* data, size_t size);  // false once failed
    // Up to `size` bytes; 0 when closed and drained; -1 when failed, or broken and drained.
    std::ptrdiff_t Pull(uint8_t* data, size_t size);
    void Close();
    void Break();
    void Fail();

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<uint8_t>> chunks_;  // pushed pieces, whole
    size_t front_used_ = 0;                    // bytes of chunks_.front() already pulled
    size_t waiting_ = 0;                       // bytes not yet pulled
    bool closed_ = false;
    bool broken_ = false;
    bool failed_ = false;
};

}  // namespace quorvex6::backend
