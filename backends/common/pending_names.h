// Names that must not outlive the command writing them: work files beside an archive or beside
// a file being replaced, until they are renamed into place. Scope guards remove them on every
// way out of a command, but a termination signal is no way out: while a command runs, the
// library's handler removes the names registered here before the signal takes its course.
//
// The registry is process-wide because a signal handler can reach nothing else. It is a fixed
// table of atomic slots, so that the handler neither locks nor allocates; it is the only
// process-wide mutable state a library keeps besides its command gate and handle table.
#pragma once
#include <string>
#include <type_traits>

namespace quorvex6::backend {

// One registered name, unregistered when released or destroyed. When every slot is taken the
// name is not registered and simply stays behind after a signal.
class PendingName {
  public:
    PendingName() = default;
    explicit PendingName(const std::string& path);
    // Registers `path` for as long as `make` (which must not throw) makes it, returning whether
    // it made it: a termination signal meanwhile waits for the answer, so it never finds the
    // name made and unregistered, nor removes what was there before (`make` made nothing).
    template <class Make>
    static PendingName WhileMaking(const std::string& path, Make&& make) {
        PendingName name;
        name.RegisterWhileMaking(
            path,
            [](void* m) noexcept { return (*static_cast<std::remove_reference_t<Make>*>(m))(); },
            &make);
        return name;
    }
    ~PendingName() { Release(); }
    PendingName(PendingName&& other) noexcept;
    PendingName& operator=(PendingName&& other) noexcept;
    PendingName(const PendingName&) = delete;
    PendingName& operator=(const PendingName&) = delete;

    // The file is gone or has its final name.
    void Release() noexcept;

  private:
    void RegisterWhileMaking(const std::string& path, bool (*make)(void*) noexcept, void* context);

    int slot_ = -1;
    char* path_ = nullptr;
};

// While one exists (for the length of a command), SIGTERM, SIGINT and SIGHUP that would end the
// process first remove every registered name, then end it as they would have. A host's own
// handler is called instead and the names stay, since the command then goes on; an ignored
// signal stays ignored. The previous actions come back at the end, unless the host changed them
// meanwhile. One at a time per library (the command gate sees to that).
class TerminationCleanup {
  public:
    TerminationCleanup();
    ~TerminationCleanup();
    TerminationCleanup(const TerminationCleanup&) = delete;
    TerminationCleanup& operator=(const TerminationCleanup&) = delete;
};

}  // namespace quorvex6::backend
