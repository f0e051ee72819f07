#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "common/pending_names.h"

namespace quorvex6::backend {

namespace {

// Each finished cabinet of a set waiting for its commit holds one.
constexpr int kSlots = 4096;
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];

// What the handler needs, and so process-wide (see the header). A slot holds a registered path,
// nothing, kClaimed once the handler has taken its path to remove, kReserved while a maker
// records itself, or a path Tagged while it is being made (the handler waits until the maker
// says whether it made it). A signal that lands on the maker's own thread cannot wait for it:
// it is left in g_deferred and raised again by the maker once the answer is in.
constinit std::atomic<char*> g_slots[kSlots]{};
constinit std::atomic<pthread_t> g_makers[kSlots]{};
constinit std::atomic<int> g_deferred{0};
alignas(2) char g_claimed_marker;
alignas(2) char g_reserved_marker;
char* const kClaimed = &g_claimed_marker;
char* const kReserved = &g_reserved_marker;
// The actions found when the command began; written before the handler is installed.
struct sigaction g_previous[kSignalCount];
bool g_installed[kSignalCount];

char* Tagged(char* path) { return reinterpret_cast<char*>(reinterpret_cast<uintptr_t>(path) | 1); }
bool IsTagged(const char* path) { return (reinterpret_cast<uintptr_t>(path) & 1) != 0; }

int TakeSlot(char* value) {
    for (int i = 0; i < kSlots; ++i) {
        char* expected = nullptr;
        if (g_slots[i].compare_exchange_strong(expected, value)) return i;
    }
    return -1;
}

char* CopyOf(const std::string& path) {
    char* copy = new char[path.size() + 1];
    std::memcpy(copy, path.c_str(), path.size() + 1);
    return copy;
}

bool ThisThreadIsMaking() {
    for (int i = 0; i < kSlots; ++i)
        if (IsTagged(g_slots[i].load()) && pthread_equal(g_makers[i].load(), pthread_self()))
            return true;
    return false;
}

void RemoveRegistered() {
    for (std::atomic<char*>& slot : g_slots) {
        char* path = slot.load();
        // The maker runs on another thread for a system call.
        while (IsTagged(path)) {
            sched_yield();
            path = slot.load();
        }
        if (path != nullptr && path != kClaimed && path != kReserved &&
            slot.compare_exchange_strong(path, kClaimed))
            unlink(path);
    }
}

void OnSignal(int sig, siginfo_t* info, void* context) {
    int saved = errno;
    int k = 0;
    while (k < kSignalCount - 1 && kSignals[k] != sig) ++k;
    const struct sigaction& previous = g_previous[k];
    if (previous.sa_flags & SA_SIGINFO) {
        previous.sa_sigaction(sig, info, context);
    } else if (previous.sa_handler == SIG_DFL) {
        if (ThisThreadIsMaking()) {
            g_deferred.store(sig);
            errno = saved;
            return;
        }
        RemoveRegistered();
        sigaction(sig, &previous, nullptr);
        raise(sig);  // blocked in here: it ends the process as soon as the handler returns
    } else if (previous.sa_handler != SIG_IGN) {
        previous.sa_handler(sig);
    }
    errno = saved;
}

bool IsOurs(const struct sigaction& action) {
    return (action.sa_flags & SA_SIGINFO) && action.sa_sigaction == OnSignal;
}

}  // namespace

PendingName::PendingName(const std::string& path) : path_(CopyOf(path)) {
    slot_ = TakeSlot(path_);
    if (slot_ >= 0) return;
    delete[] path_;
    path_ = nullptr;
}

void PendingName::RegisterWhileMaking(const std::string& path, bool (*make)(void*) noexcept,
                                      void* context) {
    char* copy = CopyOf(path);
    const int slot = TakeSlot(kReserved);
    if (slot >= 0) {
        g_makers[slot].store(pthread_self());
        g_slots[slot].store(Tagged(copy));
    }
    const bool made = make(context);
    if (slot >= 0 && made) {
        g_slots[slot].store(copy);
        slot_ = slot;
        path_ = copy;
    } else {
        if (slot >= 0) g_slots[slot].store(nullptr);
        delete[] copy;
    }
    if (const int sig = g_deferred.exchange(0)) raise(sig);
}

PendingName::PendingName(PendingName&& other) noexcept : slot_(other.slot_), path_(other.path_) {
    other.slot_ = -1;
    other.path_ = nullptr;
}

PendingName& PendingName::operator=(PendingName&& other) noexcept {
    if (this != &other) {
        Release();
        slot_ = other.slot_;
        path_ = other.path_;
        other.slot_ = -1;
        other.path_ = nullptr;
    }
    return *this;
}

void PendingName::Release() noexcept {
    if (slot_ < 0) return;
    char* expected = path_;
    // A slot the handler claimed keeps its path: the handler may still be reading it, and the
    // process is ending.
    if (g_slots[slot_].compare_exchange_strong(expected, nullptr)) delete[] path_;
    slot_ = -1;
    path_ = nullptr;
}

TerminationCleanup::TerminationCleanup() {
    for (int k = 0; k < kSignalCount; ++k) {
        struct sigaction current {};
        if (sigaction(kSignals[k], nullptr, &current) != 0) continue;
        if (!(current.sa_flags & SA_SIGINFO) && current.sa_handler == SIG_IGN) continue;
        g_previous[k] = current;
        struct sigaction ours {};
        ours.sa_sigaction = OnSignal;
        ours.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&ours.sa_mask);
        g_installed[k] = sigaction(kSignals[k], &ours, nullptr) == 0;
    }
}

TerminationCleanup::~TerminationCleanup() {
    for (int k = 0; k < kSignalCount; ++k) {
        if (!g_installed[k]) continue;
        g_installed[k] = false;
        struct sigaction current {};
        if (sigaction(kSignals[k], nullptr, &current) == 0 && IsOurs(current))
            sigaction(kSignals[k], &g_previous[k], nullptr);
    }
}

}  // namespace quorvex6::backend
