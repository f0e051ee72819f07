// The text a library leaves in its output buffer, which the control keeps for its host.
#include "operations/library_call.h"
#include "operations/operation_fixture.h"

namespace quorvex6::testing {
namespace {

class LibraryOutput : public OperationTest {
  protected:
    LibraryOutput() {
        work_.Write("arc/a.lzh", "archive");
        control_->put_ArcMode(LHA_);
        state().pArcFileName = U("arc/new.lzh");
        state().eArcFileName = U("arc/a.lzh");
        state().sfxArcFileName = U("arc/a.lzh");
        state().oArcFileName = U("arc/a.lzh");
        work_.Folder("src");
        work_.Folder("to");
        SetFolders("src", "to");
    }
    // Folders relative to the work folder; a refused one need not exist.
    void SetFolders(const std::string& base, const std::string& target) {
        state().pBaseFolder = U(base);
        state().eFolder = U(target);
        state().sfxFolder = U(target);
    }
};

TEST_F(LibraryOutput, IsKeptUntilTheNextOperation) {
    for (void (Quorvex6::*operation)() : {&Quorvex6::Pack, &Quorvex6::Extract, &Quorvex6::SFX}) {
        FakeArchiver fake;
        fake.Print("Unlha", "refused ../x: leads out\nfailed b.txt: write error\n");
        fake.Return("Unlha", 0x8030);
        SetFolders("src", "to");
        (control_.get()->*operation)();
        EXPECT_EQ(control_->get_Error(), 0x8030);
        EXPECT_EQ(U8(control_->LibraryOutput()),
                  "refused ../x: leads out\nfailed b.txt: write error\n");

        // A refused path calls nothing, so nothing from before is left.
        SetFolders("we\"ird", "we\"ird");
        (control_.get()->*operation)();
        EXPECT_EQ(control_->get_Error(), 37123);
        EXPECT_EQ(control_->LibraryOutput(), u"");
    }
    // A listing makes no command call.
    SetFolders("src", "to");
    fake_.Print("Unlha", "from a command");
    control_->Extract();
    EXPECT_EQ(U8(control_->LibraryOutput()), "from a command");
    control_->OpenFile();
    EXPECT_EQ(control_->get_Error(), 0);
    EXPECT_EQ(control_->LibraryOutput(), u"");
}

TEST_F(LibraryOutput, EndsAtALineWhenTheBufferIsFull) {
    const size_t size = operations::kOutputBufferSize;
    const std::string line = "extracted dir/file.txt\n";
    std::string log;
    while (log.size() < 2 * size) log += line;
    // The whole lines before byte n.
    const auto lines_before = [&](size_t n) { return log.substr(0, n - n % line.size()); };
    struct Case {
        std::string printed;
        std::string kept;
    };
    const Case cases[] = {
        {log, lines_before(size)},  // the library filled every byte
        {log.substr(0, size - 1) + std::string(1, '\0'), lines_before(size - 1)},
        {lines_before(size - 2), lines_before(size - 2)},  // room to spare
        {"one message without a line end", "one message without a line end"},
        {std::string(2 * size, 'x'), std::string(size, 'x')},  // no line to end at
    };
    for (const Case& c : cases) {
        fake_.Print("Unlha", c.printed);
        control_->Extract();
        EXPECT_EQ(U8(control_->LibraryOutput()), c.kept) << c.printed.size();
    }
}

}  // namespace
}  // namespace quorvex6::testing
