#include "common/jobs/ordered_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace quorvex6::backend::jobs {
namespace {

struct Reported {
    std::string name;
    int32_t code;  // 0: succeeded
    bool operator==(const Reported&) const = default;
};

OrderedPool::Report Into(std::vector<Reported>& out) {
    return [&out](const std::string& name, const Failure* f) {
        out.push_back({name, f ? f->code() : 0});
    };
}

void Nap(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Work finishing in the reverse of its order, lines slotted in between and a failure of one
// entry: reports come in hand-over order whatever thread ran what.
TEST(OrderedPool, ReportsInHandOverOrder) {
    for (unsigned threads : {0u, 1u, 2u, 4u}) {
        std::vector<Reported> got;
        {
            OrderedPool pool({.threads = threads}, Into(got));
            for (int i = 0; i < 6; ++i) {
                pool.Submit("w" + std::to_string(i), PoolTask([i] {
                                Nap((6 - i) * 3);
                                if (i == 2) throw Failure(result::kCrcMismatch, "bad");
                            }));
                if (i == 3) pool.Done("folder/");
            }
            const Failure refused(result::kMethod, "unknown");
            pool.Done("refused", &refused);
            pool.Drain();
        }
        const std::vector<Reported> want = {
            {"w0", 0}, {"w1", 0}, {"w2", result::kCrcMismatch}, {"w3", 0}, {"folder/", 0},
            {"w4", 0}, {"w5", 0}, {"refused", result::kMethod}};
        EXPECT_EQ(got, want) << threads << " threads";
    }
}

// Nothing is kept waiting beyond the limits: the thread that hands over does the oldest work
// itself instead.
TEST(OrderedPool, BoundsTheWorkThatWaits) {
    struct Case {
        const char* name;
        size_t tasks;
        size_t bytes;
        size_t each;  // bytes of one piece of work
    };
    const Case cases[] = {
        {"by count", 3, 1 << 20, 10}, {"by bytes", 64, 100, 40}, {"one at a time", 1, 1 << 20, 0}};
    for (const Case& c : cases) {
        std::vector<Reported> got;
        std::atomic<size_t> ran{0};
        OrderedPool pool({.tasks = c.tasks, .bytes = c.bytes}, Into(got));
        for (size_t i = 1; i <= 20; ++i) {
            pool.Submit(std::to_string(i), PoolTask([&] { ++ran; }), c.each);
            EXPECT_LE(i - ran, c.tasks) << c.name << " after " << i;
            EXPECT_LE((i - ran) * c.each, c.bytes) << c.name << " after " << i;
        }
        pool.Drain();
        EXPECT_EQ(ran, 20u) << c.name;
        EXPECT_EQ(got.size(), 20u) << c.name;
        EXPECT_EQ(pool.reported(), 20u) << c.name;
    }
}

// A full disk, or anything that is no Failure, ends the work: what came before it is reported,
// nothing after it, and the command's thread gets it.
TEST(OrderedPool, WhatEndsTheCommandEndsTheWork) {
    struct Case {
        const char* name;
        unsigned threads;
        bool plain_exception;
    };
    const Case cases[] = {{"full disk, no threads", 0, false},
                          {"full disk, two threads", 2, false},
                          {"other exception", 2, true}};
    for (const Case& c : cases) {
        std::vector<Reported> got;
        std::atomic<int> after{0};
        bool thrown = false;
        try {
            OrderedPool pool({.threads = c.threads}, Into(got));
            for (int i = 0; i < 40; ++i) {
                pool.Submit("w" + std::to_string(i), PoolTask([&, i] {
                                if (i == 3 && c.plain_exception) throw std::runtime_error("broken");
                                if (i == 3) throw Failure(result::kDiskFull, "full");
                                if (i > 3) ++after;
                            }));
            }
            pool.Drain();
        } catch (const Failure& f) {
            thrown = !c.plain_exception && f.code() == result::kDiskFull;
        } catch (const std::runtime_error&) {
            thrown = c.plain_exception;
        }
        EXPECT_TRUE(thrown) << c.name;
        EXPECT_EQ(got, (std::vector<Reported>{{"w0", 0}, {"w1", 0}, {"w2", 0}})) << c.name;
        // Work not yet begun is dropped. With threads of its own the pool may have begun all of it
        // while the failing piece ran, so only the command's thread alone shows the drop.
        if (c.threads == 0) {
            EXPECT_EQ(after, 0) << c.name;
        }
    }
}

// Data held by work stays counted until its outcome is reported, not only while it waits to run:
// finished work whose report waits behind a slow piece still holds its data.
TEST(OrderedPool, BoundsTheDataHeldUntilReported) {
    for (unsigned threads : {1u, 2u, 4u}) {
        std::vector<Reported> got;
        OrderedPool pool({.bytes = 100, .threads = threads}, Into(got));
        for (uint64_t i = 1; i <= 12; ++i) {
            pool.Submit(std::to_string(i), PoolTask([i] { Nap(i % 4 == 1 ? 20 : 1); }), 40);
            EXPECT_LE((i - pool.reported()) * 40, 100u) << threads << " after " << i;
            EXPECT_EQ(got.size(), pool.reported());
        }
        pool.Drain();
        EXPECT_EQ(got.size(), 12u) << threads;
    }
}

// Work that waits for its turn goes on only once everything before it is reported, and nothing
// after it is reported until it ends: whichever thread runs it, the command's thread included.
TEST(OrderedPool, WorkInItsTurnHasTheOrderToItself) {
    struct Case {
        unsigned threads;
        size_t tasks;
    };
    const Case cases[] = {{0, 0}, {0, 64}, {1, 1}, {2, 2}, {2, 64}, {4, 64}};
    for (const Case& c : cases) {
        std::vector<Reported> got;
        std::atomic<uint64_t> reports{0};
        std::atomic<int> wrong{0};
        {
            OrderedPool pool({.tasks = c.tasks, .threads = c.threads},
                             [&](const std::string& name, const Failure*) {
                                 got.push_back({name, 0});
                                 ++reports;
                             });
            for (uint64_t i = 0; i < 30; ++i) {
                if (i % 7 == 4) {
                    pool.Done("done" + std::to_string(i));
                    continue;
                }
                pool.Submit(std::to_string(i), PoolTask([&, i] {
                                Nap(static_cast<int>(i % 3));
                                if (i % 3 != 0) return;
                                if (!pool.WaitForTurn(i) || reports != i) ++wrong;
                                Nap(2);
                                if (reports != i) ++wrong;
                            }));
            }
            pool.Drain();
        }
        EXPECT_EQ(wrong, 0) << c.threads << " threads, " << c.tasks << " waiting";
        ASSERT_EQ(got.size(), 30u);
        for (uint64_t i = 0; i < 30; ++i) {
            EXPECT_EQ(got[i].name, (i % 7 == 4 ? "done" : "") + std::to_string(i));
        }
    }
}

// What ends the command, in a piece of work or in a report, lets go of work waiting for its
// turn: the wait answers false and the command's thread gets what ended it.
TEST(OrderedPool, WhatEndsTheCommandEndsTheWaitForATurn) {
    for (bool in_report : {false, true}) {
        std::atomic<int> refused{0};
        std::atomic<bool> waiting{false};
        bool thrown = false;
        try {
            OrderedPool pool({.threads = 2}, [&](const std::string& name, const Failure*) {
                if (in_report && name == "0") throw Failure(result::kDiskFull, "full");
            });
            pool.Submit("0", PoolTask([&] {
                            for (int n = 0; !waiting && n < 5000; ++n) Nap(1);
                            if (!in_report) throw Failure(result::kDiskFull, "full");
                        }));
            for (uint64_t i = 1; i < 4; ++i) {
                pool.Submit(std::to_string(i), PoolTask([&, i] {
                                waiting = true;
                                if (!pool.WaitForTurn(i)) ++refused;
                            }));
            }
            pool.Drain();
        } catch (const Failure& f) {
            thrown = f.code() == result::kDiskFull;
        }
        EXPECT_TRUE(thrown) << in_report;
        EXPECT_GE(refused, 1) << in_report;
    }
}

// A thread that lends its idle time runs the work; reports stay on the command's thread.
TEST(OrderedPool, LentTimeRunsTheWork) {
    std::vector<Reported> got;
    std::atomic<bool> stop{false};
    std::atomic<int> by_lender{0};
    std::thread::id lender_id;
    const std::thread::id command_id = std::this_thread::get_id();
    {
        OrderedPool pool({}, [&](const std::string& name, const Failure*) {
            EXPECT_EQ(std::this_thread::get_id(), command_id);
            got.push_back({name, 0});
        });
        std::thread lender([&] {
            while (!stop) {
                if (!pool.RunOne()) std::this_thread::yield();
            }
        });
        lender_id = lender.get_id();
        for (int i = 0; i < 10; ++i) {
            pool.Submit(std::to_string(i), PoolTask([&] {
                            if (std::this_thread::get_id() == lender_id) ++by_lender;
                        }));
        }
        for (int waited = 0; by_lender < 10 && waited < 5000; ++waited) Nap(1);
        pool.Drain();
        stop = true;
        lender.join();
    }
    EXPECT_EQ(got.size(), 10u);
    EXPECT_EQ(by_lender, 10);
}

}  // namespace
}  // namespace quorvex6::backend::jobs
