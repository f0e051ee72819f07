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

constexpr int kSlots = 256;
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];

// What the handler needs, and so process-wide (see the header). A slot holds a registered path,
// nothing, kClaimed once the handler has taken its path to remove, or a path Tagged while it is
// being made (the handler waits until the maker says whether it made it).
constinit std::atomic<char*> g_slots[kSlots]{};
alignas(2) char g_claimed_marker;
char* const kClaimed = &g_claimed_marker;
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

void RemoveRegistered() {
    for (std::atomic<char*>& slot : g_slots) {
        char* path = slot.load();
        // The maker runs on another thread (its own blocks the signals) for a system call.
        while (IsTagged(path)) {
            sched_yield();
            path = slot.load();
        }
        if (path != nullptr && path != kClaimed && slot.compare_exchange_strong(path, kClaimed))
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
    sigset_t termination;
    sigset_t previous;
    sigemptyset(&termination);
    for (int sig : kSignals) sigaddset(&termination, sig);
    // On this thread the handler would wait for itself.
    pthread_sigmask(SIG_BLOCK, &termination, &previous);
    char* copy = CopyOf(path);
    const int slot = TakeSlot(Tagged(copy));
    const bool made = make(context);
    if (slot >= 0 && made) {
        g_slots[slot].store(copy);
        slot_ = slot;
        path_ = copy;
    } else {
        if (slot >= 0) g_slots[slot].store(nullptr);
        delete[] copy;
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
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
