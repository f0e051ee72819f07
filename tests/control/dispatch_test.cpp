#include <gtest/gtest.h>

#include "control/module_state.h"
#include "quorvex6/automation_error.h"
#include "quorvex6/control.h"

namespace quorvex6 {
namespace {

int32_t NumberOf(Quorvex6& c, std::u16string_view name, InvokeKind kind,
                 std::vector<Variant> args) {
    try {
        c.Invoke(name, kind, args);
    } catch (const AutomationError& e) {
        return e.number();
    }
    return 0;
}

TEST(Dispatch, ByNameIgnoresCaseAndReachesTheTypedMembers) {
    auto c = Quorvex6::CreateNew();
    c->Invoke(u"LEVELlzx", InvokeKind::Put, std::vector<Variant>{Variant(int32_t{18})});
    EXPECT_EQ(c->get_LevelLZX(), 18);
    EXPECT_EQ(c->Invoke(u"levellzx", InvokeKind::Get, {}).i2(), 18);
    EXPECT_EQ(Quorvex6::IdOfName(u"aboutbox"), -552);
    c->Invoke(u"pAddFile", InvokeKind::Method, std::vector<Variant>{Variant(u" x ")});
    EXPECT_TRUE(c->Invoke(u"pFilesList", InvokeKind::Get, std::vector<Variant>{Variant(int16_t{0})})
                    .str() == u"x");
    EXPECT_EQ(c->Invoke(0x6803000B, InvokeKind::Get, {}).i2(), 1);
}

TEST(Dispatch, BooleansAndNumbersConvertAsAScriptHostDoes) {
    auto c = Quorvex6::CreateNew();
    c->Invoke(u"swDialog", InvokeKind::Put, std::vector<Variant>{Variant(int16_t{5})});
    EXPECT_EQ(c->get_swDialog(), -1);
    EXPECT_TRUE(c->Invoke(u"swDialog", InvokeKind::Get, {}).boolean());
    c->Invoke(u"swDialog", InvokeKind::Put, std::vector<Variant>{Variant(Boolean::Stored(5))});
    EXPECT_EQ(c->get_swDialog(), 5);  // a boolean as the host passed it
    EXPECT_EQ(c->Invoke(u"swDialog", InvokeKind::Get, {}), Variant(Boolean::Stored(5)));
    c->Invoke(u"swDialog", InvokeKind::Put, std::vector<Variant>{Variant(u"False")});
    EXPECT_EQ(c->get_swDialog(), 0);
    c->Invoke(u"ArcMode", InvokeKind::Put, std::vector<Variant>{Variant(u" 3 ")});
    EXPECT_EQ(c->get_ArcMode(), 3);
    c->Invoke(u"pArcFileName", InvokeKind::Put, std::vector<Variant>{Variant(int32_t{42})});
    EXPECT_TRUE(c->get_pArcFileName() == u"42");
}

TEST(Dispatch, FailuresAreTheNumbersAScriptHostShows) {
    struct Case {
        const char* what;
        std::u16string name;
        InvokeKind kind;
        std::vector<Variant> args;
        int32_t number;
    };
    const Case cases[] = {
        {"LevelLZX 14", u"LevelLZX", InvokeKind::Put, {Variant(int16_t{14})}, 380},
        {"Errorstring put", u"Errorstring", InvokeKind::Put, {Variant(u"x")}, 383},
        {"pFilesList(0) new", u"pFilesList", InvokeKind::Get, {Variant(int16_t{0})}, 9},
        {"unknown name", u"NoSuchThing", InvokeKind::Get, {}, 438},
        {"put of a get-only", u"Version", InvokeKind::Put, {Variant(int32_t{1})}, 438},
        {"missing index", u"pFilesList", InvokeKind::Get, {}, 450},
        {"extra argument", u"Pack", InvokeKind::Method, {Variant(int16_t{1})}, 450},
        {"missing method argument", u"pAddFile", InvokeKind::Method, {}, 450},
        {"text for a number", u"LevelLZX", InvokeKind::Put, {Variant(u"abc")}, 13},
        {"index out of 16 bits", u"pFilesList", InvokeKind::Get, {Variant(int32_t{70000})}, 6},
        {"value out of 16 bits", u"LevelQUANTUM", InvokeKind::Put, {Variant(int32_t{40000})}, 6},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        auto c = Quorvex6::CreateNew();
        EXPECT_EQ(NumberOf(*c, test.name, test.kind, test.args), test.number);
    }
    auto c = Quorvex6::CreateNew();
    NumberOf(*c, u"LevelLZX", InvokeKind::Put, {Variant(int16_t{14})});
    EXPECT_EQ(c->get_LevelLZX(), 15);
    EXPECT_EQ(NumberOf(*c, u"unknown", InvokeKind::Get, {}), 438);
    EXPECT_EQ(c->get_Error(), 0);
}

TEST(Dispatch, AnUnknownIdIsTheErrorAScriptHostShows) {
    // Next to the published ids, the standard ones this interface lacks, and 0.
    const int32_t unknown[] = {0, 0x6803002F, 0x68030000 - 1, 0x60030038, 0x60030041, -553, -4, -1};
    const std::vector<Variant> value{Variant(int16_t{1})};
    for (const int32_t id : unknown) {
        for (const InvokeKind kind : {InvokeKind::Get, InvokeKind::Put, InvokeKind::Method}) {
            SCOPED_TRACE(testing::Message() << id << " kind " << static_cast<int>(kind));
            auto c = Quorvex6::CreateNew();
            try {
                c->Invoke(id, kind, kind == InvokeKind::Put ? value : std::vector<Variant>{});
                ADD_FAILURE() << "dispatched";
            } catch (const AutomationError& e) {
                EXPECT_EQ(e.number(), automation::kNoSuchMember);
            }
        }
    }
}

TEST(Dispatch, TheMaximumListSizeOverflowsThroughDispatch) {
    auto c = Quorvex6::CreateNew();
    const std::vector<Variant> name{Variant(u"f")};
    for (int i = 0; i < 32767; ++i) c->Invoke(u"pAddFile", InvokeKind::Method, name);
    EXPECT_EQ(NumberOf(*c, u"pAddFile", InvokeKind::Method, name), 6);
    EXPECT_EQ(c->get_pFilesCount(), 32767);
}

}  // namespace
}  // namespace quorvex6
