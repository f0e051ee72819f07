// A list file that cannot be written fails the host's call untrapped: the error state stays,
// and the directory and the work file are put back all the same.
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <optional>
#include <stdexcept>

#include "operations/operation_fixture.h"

namespace quorvex6::testing {
namespace {

namespace fs = std::filesystem;

// Files may be made but not grow while it lives: a work file is created, then its write fails.
class NoFileGrowth {
  public:
    NoFileGrowth() {
        getrlimit(RLIMIT_FSIZE, &previous_);
        previousSignal_ = signal(SIGXFSZ, SIG_IGN);
        rlimit none = previous_;
        none.rlim_cur = 0;
        setrlimit(RLIMIT_FSIZE, &none);
    }
    ~NoFileGrowth() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        signal(SIGXFSZ, previousSignal_);
    }
    NoFileGrowth(const NoFileGrowth&) = delete;
    NoFileGrowth& operator=(const NoFileGrowth&) = delete;

  private:
    rlimit previous_{};
    sighandler_t previousSignal_ = SIG_DFL;
};

class ListFileFailure : public OperationTest {
  protected:
    ListFileFailure() {
        work_.Write("src/readme.txt", "r");
        work_.Write("arc/a.lzh", "archive");
        state().pBaseFolder = U("src");
        state().pArcFileName = U("arc/new.lzh");
        state().eArcFileName = U("arc/a.lzh");
        state().eFolder = U("src");
        control_->pAddFile(u"readme.txt");
        control_->eAddFile(u"readme.txt");
        control_->put_ArcMode(LHA_);
    }
};

TEST_F(ListFileFailure, FailsTheHostsCallAndLeavesNothingBehind) {
    struct Case {
        const char* what;
        void (Quorvex6::*operation)();
        bool fileMade;  // else the temp folder is missing and no work file can be made
    };
    const Case cases[] = {
        {"pack, no temp folder", &Quorvex6::Pack, false},
        {"pack, write refused", &Quorvex6::Pack, true},
        {"extract, no temp folder", &Quorvex6::Extract, false},
        {"extract, write refused", &Quorvex6::Extract, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fake_.ClearCalls();
        state().Error = 5;
        try {
            const ScopedTempFolder temp(c.fileMade ? temp_.path()
                                                   : work_.path() / "no-such-folder");
            std::optional<NoFileGrowth> refused;
            if (c.fileMade) refused.emplace();
            ((*control_).*c.operation)();
            ADD_FAILURE() << "no failure";
        } catch (const std::runtime_error& failure) {
            const std::string why = c.fileMade ? "cannot write" : "cannot make a work file";
            EXPECT_NE(std::string(failure.what()).find(why), std::string::npos) << failure.what();
        }
        EXPECT_EQ(control_->get_Error(), 5);
        EXPECT_EQ(fs::current_path(), caller_);
        EXPECT_EQ(WorkFilesLeft(), std::vector<std::string>{});
        for (const auto& call : fake_.Calls()) {
            EXPECT_TRUE(call.entry.ends_with("CheckArchive")) << call.entry;
        }
    }
    EXPECT_TRUE(messages_.messages().empty());
}

}  // namespace
}  // namespace quorvex6::testing
