// The pipe between a decoder and its reader, and the idle time it lends: a side that would
// wait does the shared work instead, and work taken back is never run afterwards.
#include "common/byte_pipe.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

namespace quorvex6::backend {
namespace {

class CountedWork final : public IdleWork {
  public:
    explicit CountedWork(int pieces) : left_(pieces) {}
    bool RunOne() noexcept override {
        if (left_.fetch_sub(1) <= 0) return false;
        ++done_;
        while (hold_) std::this_thread::yield();
        return true;
    }
    std::atomic<int> left_;
    std::atomic<int> done_{0};
    std::atomic<bool> hold_{false};
};

TEST(BytePipe, AWaitingSideDoesTheSharedWork) {
    const std::vector<uint8_t> piece(BytePipe::kCapacity, 7);
    struct Case {
        const char* what;
        bool producer_waits;  // else the consumer waits for data
    };
    for (const Case& c : {Case{"producer ahead", true}, Case{"consumer behind", false}}) {
        BytePipe pipe;
        CountedWork work(5);
        pipe.ShareIdleTime(&work);
        std::vector<uint8_t> got(piece.size());
        if (c.producer_waits) {
            ASSERT_TRUE(pipe.Push(piece.data(), piece.size()));
            auto pushed =
                std::async(std::launch::async, [&] { return pipe.Push(piece.data(), 1); });
            while (work.done_ < 5) std::this_thread::yield();  // the full pipe's producer works
            EXPECT_EQ(pipe.Pull(got.data(), got.size()), static_cast<std::ptrdiff_t>(piece.size()));
            EXPECT_TRUE(pushed.get());
        } else {
            auto pulled = std::async(std::launch::async, [&] { return pipe.Pull(got.data(), 1); });
            while (work.done_ < 5) std::this_thread::yield();  // the empty pipe's consumer works
            ASSERT_TRUE(pipe.Push(piece.data(), 1));
            EXPECT_EQ(pulled.get(), 1);
        }
        EXPECT_EQ(work.done_, 5) << c.what;
        pipe.ShareIdleTime(nullptr);
    }
}

// Many short pieces (a gzip stream of tiny members, say) must not queue without bound: the
// producer waits once kMaxPieces pieces wait, however few bytes they hold.
TEST(BytePipe, ShortPiecesAreBoundedByTheirNumber) {
    BytePipe pipe;
    std::atomic<size_t> pushed{0};
    std::thread producer([&] {
        const uint8_t byte = 1;
        while (pipe.Push(&byte, 1)) ++pushed;
    });
    for (int i = 0; i < 2000 && pushed < BytePipe::kMaxPieces; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(pushed, BytePipe::kMaxPieces);
    pipe.Fail();
    producer.join();
}

// Bytes that arrive while the waiting side is busy with lent work (its lock free) must not be
// missed: their wake-up came and went before the side went back to sleep.
TEST(BytePipe, BytesPushedDuringLentWorkAreSeen) {
    BytePipe pipe;
    class PushingWork final : public IdleWork {
      public:
        explicit PushingWork(BytePipe& pipe) : pipe_(pipe) {}
        bool RunOne() noexcept override {
            const uint8_t byte = 7;
            if (!pushed_.exchange(true)) pipe_.Push(&byte, 1);
            return false;
        }

      private:
        BytePipe& pipe_;
        std::atomic<bool> pushed_{false};
    } work(pipe);
    pipe.ShareIdleTime(&work);
    uint8_t got = 0;
    auto pulled = std::async(std::launch::async, [&] { return pipe.Pull(&got, 1); });
    const bool in_time = pulled.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    EXPECT_TRUE(in_time) << "the consumer slept through the bytes";
    if (!in_time) pipe.Fail();  // lets it go, so that the test ends
    EXPECT_EQ(pulled.get(), in_time ? 1 : -1);
    EXPECT_EQ(got, in_time ? 7 : 0);
    pipe.ShareIdleTime(nullptr);
}

TEST(BytePipe, TakingTheWorkBackWaitsForThePieceUnderWay) {
    BytePipe pipe;
    CountedWork work(1);
    work.hold_ = true;
    pipe.ShareIdleTime(&work);
    std::vector<uint8_t> byte(1);
    auto pulled = std::async(std::launch::async, [&] { return pipe.Pull(byte.data(), 1); });
    while (work.done_ == 0) std::this_thread::yield();
    auto withdrawn = std::async(std::launch::async, [&] { pipe.ShareIdleTime(nullptr); });
    EXPECT_EQ(withdrawn.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    work.hold_ = false;
    withdrawn.get();
    work.left_ = 100;  // nothing may run it now
    pipe.Close();
    EXPECT_EQ(pulled.get(), 0);
    EXPECT_EQ(work.done_, 1);
}

}  // namespace
}  // namespace quorvex6::backend
