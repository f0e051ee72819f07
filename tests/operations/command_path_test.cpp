// Paths and names the operations put on a library's command line: one holding a double quote
// is refused before anything is composed.
#include "operations/operation_fixture.h"

namespace quorvex6::testing {
namespace {

class CommandPaths : public OperationTest {
  protected:
    CommandPaths() {
        work_.Write("src/a.txt", "a");
        work_.Write("arc/a.lzh", "archive");
        work_.Folder("to");
        work_.Folder("we\"ird");
        SwitchesOff();
    }

    // A job each operation would carry out, every path sound.
    void SoundJobs() {
        state().pArcFileName = U("arc/new.lzh");
        state().pBaseFolder = U("src");
        control_->pFilesClear();
        control_->pAddFile(u"a.txt");
        state().eArcFileName = U("arc/a.lzh");
        state().eFolder = U("to");
        control_->eFilesClear();
        control_->eAddFile(u"a.txt");
        state().sfxArcFileName = U("arc/a.lzh");
        state().sfxFolder = U("to");
    }
};

TEST_F(CommandPaths, APathOrNameHoldingADoubleQuoteIsRefusedBeforeAnythingIsComposed) {
    struct Case {
        const char* what;
        void (Quorvex6::*operation)();
        std::u16string ControlState::*path;  // nullptr: value is added to the operation's list
        std::string value;                   // relative to the work folder, or the name
    };
    const Case cases[] = {
        {"pack archive", &Quorvex6::Pack, &ControlState::pArcFileName, "arc/we\"ird.lzh"},
        {"pack base", &Quorvex6::Pack, &ControlState::pBaseFolder, "we\"ird"},
        {"pack name", &Quorvex6::Pack, nullptr, "b\" \"c.txt"},
        {"extract archive", &Quorvex6::Extract, &ControlState::eArcFileName, "arc/\"a.lzh"},
        {"extract folder", &Quorvex6::Extract, &ControlState::eFolder, "o/\" \"z"},
        {"extract name", &Quorvex6::Extract, nullptr, "say \"hi\".txt"},
        {"sfx archive", &Quorvex6::SFX, &ControlState::sfxArcFileName, "arc/a\".lzh"},
        {"sfx folder", &Quorvex6::SFX, &ControlState::sfxFolder, "we\"ird"},
    };
    for (const int32_t kind : {LHA_, ZIP_, TAR_, ARJ_}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + " kind " + std::to_string(kind));
            control_->put_ArcMode(kind);
            SoundJobs();
            if (c.path != nullptr) {
                state().*c.path = U(c.value);
            } else if (c.operation == &Quorvex6::Pack) {
                control_->pAddFile(U16(c.value));
            } else {
                control_->eAddFile(U16(c.value));
            }
            fake_.ClearCalls();
            (control_.get()->*c.operation)();
            ExpectResult(37123, u"指定されたファイルのパスが誤っています。");
            EXPECT_TRUE(fake_.Calls().empty());
            EXPECT_TRUE(messages_.messages().empty());
        }
    }
}

}  // namespace
}  // namespace quorvex6::testing
