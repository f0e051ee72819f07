#include "codecs/ish/encode_lanes.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "codecs/ish/batch.h"

namespace quorvex6::backend::codecs::ish {

namespace {

enum class Stage { kRead, kWrite };

// Batch k takes its turn at a stage once batch k-1 has passed it. Stopping wakes every lane
// that waits, so that one lane's failure ends both.
class Turns {
  public:
    // False once stopped.
    bool Await(Stage stage, std::size_t k) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return stopped_ || Current(stage) == k; });
        return !stopped_;
    }
    void Pass(Stage stage) {
        {
            std::lock_guard lock(mutex_);
            ++Current(stage);
        }
        changed_.notify_all();
    }
    void Stop() {
        {
            std::lock_guard lock(mutex_);
            stopped_ = true;
        }
        changed_.notify_all();
    }
    bool Stopped() const {
        std::lock_guard lock(mutex_);
        return stopped_;
    }

  private:
    std::size_t& Current(Stage stage) { return stage == Stage::kRead ? read_ : write_; }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t read_ = 0;
    std::size_t write_ = 0;
    bool stopped_ = false;
};

class Lanes {
  public:
    explicit Lanes(EncodeWork& work) : work_(work) {}

    // Batches first, first + stride, first + 2 * stride, ... until the blocks run out.
    void Run(std::size_t first, std::size_t stride) {
        Batch batch(work_.layout);
        for (std::size_t k = first;; k += stride) {
            if (!turns_.Await(Stage::kRead, k)) return;
            if (!batch.Read(work_.payload, work_.lines)) return turns_.Stop();
            turns_.Pass(Stage::kRead);
            if (batch.Empty()) return;
            batch.Encode(work_.variant);
            if (!turns_.Await(Stage::kWrite, k)) return;
            if (!batch.Write(work_.text)) return turns_.Stop();
            turns_.Pass(Stage::kWrite);
        }
    }
    void Stop() { turns_.Stop(); }
    bool Stopped() const { return turns_.Stopped(); }

  private:
    EncodeWork& work_;
    Turns turns_;
};

}  // namespace

bool EncodeBlocks(EncodeWork& work, bool two_lanes) {
    Lanes lanes(work);
    std::exception_ptr helper_failure;
    std::optional<std::jthread> helper;
    if (two_lanes) {
        try {
            helper.emplace([&] {
                try {
                    lanes.Run(1, 2);
                } catch (...) {
                    helper_failure = std::current_exception();
                    lanes.Stop();
                }
            });
        } catch (const std::system_error&) {
            // No thread to be had: this one takes every batch.
        }
    }
    try {
        lanes.Run(0, helper ? 2 : 1);
    } catch (...) {
        lanes.Stop();  // the helper then leaves its lane and is joined on the way out
        throw;
    }
    if (helper) helper->join();
    if (helper_failure) std::rethrow_exception(helper_failure);
    return !lanes.Stopped();
}

}  // namespace quorvex6::backend::codecs::ish
