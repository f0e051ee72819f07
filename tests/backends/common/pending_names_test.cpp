#include "common/pending_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "backends/support/backend_library.h"
#include "backends/support/child_process.h"
#include "common/file_system.h"
#include "common/result.h"

namespace fs = std::filesystem;

namespace quorvex6::backend {
namespace {

using quorvex6::testing::StartChild;
using quorvex6::testing::WaitForChild;

volatile sig_atomic_t g_host_saw = 0;
void HostHandler(int) { g_host_saw = 1; }

class PendingNamesTest : public quorvex6::testing::ScratchTest {
  protected:
    fs::path Make(const char* name) const {
        std::ofstream(root_ / name) << name;
        return root_ / name;
    }
};

// A signal during a command: what the host had set decides whether it ends the process, and
// only a signal that ends it removes the pending names (a name released before stays).
TEST_F(PendingNamesTest, TerminationSignalsRemovePendingNamesOnlyWhenTheyEndTheProcess) {
    enum class Host { kDefault, kHandler, kIgnored };
    struct Case {
        const char* name;
        int sig;
        Host host;
        bool ends;
    };
    const Case cases[] = {
        {"term", SIGTERM, Host::kDefault, true},
        {"int", SIGINT, Host::kDefault, true},
        {"hup", SIGHUP, Host::kDefault, true},
        {"term, host handler", SIGTERM, Host::kHandler, false},
        {"int, host handler", SIGINT, Host::kHandler, false},
        {"hup, ignored", SIGHUP, Host::kIgnored, false},
    };
    for (const Case& c : cases) {
        fs::path pending = Make("pending");
        fs::path released = Make("released");
        pid_t pid = StartChild([&] {
            if (c.host == Host::kHandler) signal(c.sig, HostHandler);
            if (c.host == Host::kIgnored) signal(c.sig, SIG_IGN);
            TerminationCleanup cleanup;
            PendingName gone(released.string());
            gone.Release();
            PendingName name(pending.string());
            raise(c.sig);
            return c.host == Host::kHandler ? (g_host_saw ? 3 : 4) : 5;
        });
        quorvex6::testing::ChildEnd end = WaitForChild(pid);
        if (c.ends) {
            EXPECT_EQ(end.signal, c.sig) << c.name;
        } else {
            EXPECT_TRUE(end.exited) << c.name;
            EXPECT_EQ(end.code, c.host == Host::kHandler ? 3 : 5) << c.name;
        }
        EXPECT_EQ(fs::exists(pending), !c.ends) << c.name;
        EXPECT_TRUE(fs::exists(released)) << c.name;
    }
}

// Outside a command the host's actions are its own again.
TEST_F(PendingNamesTest, PreviousActionsComeBack) {
    pid_t pid = StartChild([] {
        signal(SIGTERM, HostHandler);
        signal(SIGHUP, SIG_IGN);
        { TerminationCleanup cleanup; }
        struct sigaction term {
        }, hup{}, in{};
        sigaction(SIGTERM, nullptr, &term);
        sigaction(SIGHUP, nullptr, &hup);
        sigaction(SIGINT, nullptr, &in);
        bool back = term.sa_handler == HostHandler && hup.sa_handler == SIG_IGN &&
                    in.sa_handler == SIG_DFL && !(term.sa_flags & SA_SIGINFO);
        return back ? 0 : 1;
    });
    EXPECT_EQ(WaitForChild(pid).code, 0);
}

// A signal that comes while a name is being made waits for the maker's answer: what it made is
// removed, and what was there before, which it did not make, stays.
TEST_F(PendingNamesTest, ASignalWhileANameIsMadeRemovesOnlyWhatWasMade) {
    struct Case {
        const char* name;
        bool there_before;  // someone else's file: the maker makes nothing
        int sig;
    };
    const Case cases[] = {
        {"made, term", false, SIGTERM},
        {"made, hup", false, SIGHUP},
        {"someone else's, term", true, SIGTERM},
        {"someone else's, int", true, SIGINT},
    };
    for (const Case& c : cases) {
        fs::path path = root_ / "made";
        fs::remove(path);
        if (c.there_before) Make("made");
        pid_t pid = StartChild([&] {
            TerminationCleanup cleanup;
            PendingName name = PendingName::WhileMaking(path.string(), [&]() noexcept {
                if (!c.there_before) std::ofstream(path) << "ours";
                raise(c.sig);
                return !c.there_before;
            });
            return 5;
        });
        quorvex6::testing::ChildEnd end = WaitForChild(pid);
        EXPECT_EQ(end.signal, c.sig) << c.name;
        EXPECT_EQ(fs::exists(path), c.there_before) << c.name;
    }
}

// A work file made beside a target is registered as it is made: a signal right after leaves
// nothing of it, while the target and someone else's file of a work file's shape stay.
TEST_F(PendingNamesTest, ASignalAfterAWorkFileIsMadeBesideATargetRemovesOnlyIt) {
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        fs::remove_all(root_);
        fs::create_directories(root_);
        Make("target");
        Make("target.qvOTHER1");
        pid_t pid = StartChild([&] {
            TerminationCleanup cleanup;
            OutputFile file =
                OutputFile::CreateBeside((root_ / "target").string(), result::kReadOnlyTarget);
            if (!fs::exists(file.path()) || file.path().rfind((root_ / "target.qv").string(), 0))
                return 4;
            raise(sig);
            return 5;
        });
        quorvex6::testing::ChildEnd end = WaitForChild(pid);
        EXPECT_EQ(end.signal, sig) << end.code;
        std::vector<std::string> left;
        for (const auto& item : fs::directory_iterator(root_))
            left.push_back(item.path().filename().string());
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, (std::vector<std::string>{"target", "target.qvOTHER1"})) << sig;
    }
}

}  // namespace
}  // namespace quorvex6::backend
