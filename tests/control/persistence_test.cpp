#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "compose/switch_composition.h"
#include "control/module_state.h"
#include "control/persisted_properties.h"
#include "control/state.h"
#include "quorvex6/automation_error.h"
#include "quorvex6/control.h"
#include "quorvex6/memory_property_bag.h"
#include "support/test_support.h"

namespace quorvex6 {
namespace {

using testing::RecordingSite;

// The persisted fields of a control, read straight from its record.
std::vector<Variant> PersistedFields(const Quorvex6& c) {
    std::vector<Variant> values;
    for (const PersistedProperty& p : kPersisted) {
        if (p.str != nullptr) values.emplace_back(c.state().*p.str);
        if (p.i4 != nullptr) values.emplace_back(c.state().*p.i4);
        if (p.i2 != nullptr) values.emplace_back(c.state().*p.i2);
    }
    return values;
}

// One persisted field as the record holds it (booleans as -1 or 0).
Variant FieldOf(const Quorvex6& c, std::u16string_view key) {
    for (const PersistedProperty& p : kPersisted) {
        if (p.key != key) continue;
        if (p.str != nullptr) return c.state().*p.str;
        if (p.i4 != nullptr) return c.state().*p.i4;
        return c.state().*p.i2;
    }
    return {};
}

// Every persisted field away from its default, the range-limited ones out of their setters' range.
void GiveEveryFieldAnOddValue(ControlState& s) {
    int32_t n = 100;
    for (const PersistedProperty& p : kPersisted) {
        ++n;
        if (p.str != nullptr) s.*p.str = u"  value " + testing::U16(std::to_string(n)) + u"  ";
        if (p.i4 != nullptr) s.*p.i4 = -n * 1000;
        if (p.i2 != nullptr)
            s.*p.i2 = p.type == Saved::Bool ? int16_t(p.numericDefault ? 0 : -1) : int16_t(n);
    }
}

int32_t NumberOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const AutomationError& e) {
        return e.number();
    }
    return 0;
}

// A bag that records each call and can fail at one key, as a container's bag may.
class RecordingBag : public MemoryPropertyBag {
  public:
    Variant Read(const std::u16string& key, const Variant& def) override {
        reads.push_back({key, def});
        if (key == failAt) throw std::runtime_error("bag failure");
        return MemoryPropertyBag::Read(key, def);
    }
    void Write(const std::u16string& key, const Variant& value, const Variant& def) override {
        if (key == failAt) throw std::runtime_error("bag failure");
        writes.push_back({key, def});
        MemoryPropertyBag::Write(key, value, def);
    }
    std::vector<std::pair<std::u16string, Variant>> reads, writes;
    std::u16string failAt;
};

TEST(Persistence, NewControlSavesNothingAndReloadsAsNew) {
    auto original = Quorvex6::CreateNew();
    MemoryPropertyBag bag;
    original->Save(bag);
    EXPECT_TRUE(bag.entries().empty());

    Quorvex6 loaded;  // zeros, as created before the container initialises it
    loaded.Load(bag);
    EXPECT_EQ(PersistedFields(loaded), PersistedFields(*original));
}

TEST(Persistence, SavesOnlyChangedKeysAndLoadingSetsTheCurrentKind) {
    auto c = Quorvex6::CreateNew();
    c->put_ArcMode(3);
    c->put_LevelLZX(21);
    c->put_hwnd(77);
    MemoryPropertyBag bag;
    c->Save(bag);
    ASSERT_EQ(bag.entries().size(), 2u);
    EXPECT_EQ(bag.entries()[0].first, u"ArcMode");
    EXPECT_EQ(bag.entries()[0].second, Variant(int32_t{3}));
    EXPECT_EQ(bag.entries()[1].first, u"LevelLZX");
    EXPECT_EQ(bag.entries()[1].second, Variant(int16_t{21}));

    auto other = Quorvex6::CreateNew();  // resets the shared kind and window
    Module().OwnerWindow = 55;
    other->Load(bag);
    EXPECT_EQ(Module().CurrentArcMode, 3);
    EXPECT_EQ(other->get_ArcMode(), 3);
    EXPECT_EQ(other->get_LevelLZX(), 21);
    EXPECT_EQ(other->get_hwnd(), 55);  // loading leaves the shared window alone
}

TEST(Persistence, EveryKeyRoundTripsInTableOrderWithItsSavedType) {
    auto c = Quorvex6::CreateNew();
    GiveEveryFieldAnOddValue(c->state());
    RecordingBag bag;
    c->Save(bag);
    ASSERT_EQ(bag.entries().size(), kPersisted.size());
    for (size_t i = 0; i < kPersisted.size(); ++i) {
        const PersistedProperty& p = kPersisted[i];
        EXPECT_EQ(bag.writes[i].first, p.key);
        EXPECT_EQ(bag.entries()[i].first, p.key);
        const VarType saved = p.type == Saved::I4     ? VarType::I4
                              : p.type == Saved::I2   ? VarType::I2
                              : p.type == Saved::Bool ? VarType::Bool
                                                      : VarType::String;
        EXPECT_EQ(bag.entries()[i].second.type(), saved) << testing::U8(std::u16string(p.key));
    }

    RecordingSite site;
    Quorvex6 loaded;
    loaded.SetSite(&site);
    loaded.Load(bag);
    EXPECT_EQ(PersistedFields(loaded), PersistedFields(*c));
    EXPECT_TRUE(site.notified.empty());
    EXPECT_EQ(loaded.get_Error(), 0);
}

TEST(Persistence, LoadReadsInItsOwnOrderWithTheTableDefaults) {
    RecordingBag bag;
    Quorvex6 c;
    c.Load(bag);
    const Variant none(u""), yes(Boolean{true}), no(Boolean{false});
    const std::vector<std::pair<std::u16string, Variant>> expected = {
        {u"ArcMode", int16_t{0}},        {u"pArcFileName", none},
        {u"pTypeOfArc", int16_t{2}},     {u"pTypeOfCab", int16_t{0}},
        {u"pTypeOfIsh", int16_t{1}},     {u"pBaseFolder", none},
        {u"eArcFileName", none},         {u"eFolder", none},
        {u"swUnderFolder", yes},         {u"swDialog", yes},
        {u"swGaugeProgress", no},        {u"swFolderName", yes},
        {u"swAttribute", yes},           {u"swCheckTimeStamp", yes},
        {u"swDiskSpace", yes},           {u"swCommand", none},
        {u"sfxArcFileName", none},       {u"sfxFolder", none},
        {u"sfxType", int16_t{2}},        {u"sfxCommand", none},
        {u"oBaseFolder", none},          {u"oArcFileName", none},
        {u"cabMultiVolume", int16_t{0}}, {u"LevelLZX", int16_t{15}},
        {u"LevelQUANTUM", int16_t{1}}};
    EXPECT_EQ(bag.reads, expected);
}

TEST(Persistence, StoredValuesConvertAsTheHostLanguageDoes) {
    struct Case {
        const char16_t* key;
        Variant stored;
        int32_t failure;  // 0, or the automation error
        Variant loaded;   // the field afterwards, as its type
    };
    const Case cases[] = {
        {u"ArcMode", Variant(u"3"), 0, Variant(int32_t{3})},
        {u"ArcMode", Variant(u" -1 "), 0, Variant(int32_t{-1})},
        {u"ArcMode", Variant(u"True"), 0, Variant(int32_t{-1})},
        {u"pTypeOfArc", Variant(u"2.5"), 0, Variant(int32_t{2})},  // half to even
        {u"pTypeOfArc", Variant(u"3.5"), 0, Variant(int32_t{4})},
        {u"sfxType", Variant(int16_t{4}), 0, Variant(int32_t{4})},
        {u"swDialog", Variant(u"False"), 0, Variant(int16_t{0})},
        {u"swDialog", Variant(u"-1"), 0, Variant(int16_t{-1})},
        {u"swDialog", Variant(int16_t{5}), 0, Variant(int16_t{-1})},
        {u"swDialog", Variant(Boolean::Stored(5)), 0, Variant(int16_t{5})},
        {u"swDialog", Variant(u"0.4"), 0, Variant(int16_t{-1})},  // not rounded before the test
        {u"swDiskSpace", Variant(u"&H0"), 0, Variant(int16_t{0})},
        {u"swGaugeProgress", Variant(u"true"), 0, Variant(int16_t{-1})},
        {u"LevelLZX", Variant(u"30"), 0, Variant(int16_t{30})},
        {u"LevelLZX", Variant(u"&H10"), 0, Variant(int16_t{16})},
        {u"LevelLZX", Variant(u"&hff"), 0, Variant(int16_t{255})},
        {u"LevelLZX", Variant(u" &O17 "), 0, Variant(int16_t{15})},
        {u"LevelLZX", Variant(u"&HFFFF"), 0, Variant(int16_t{-1})},  // the digits fill 16 bits
        {u"LevelLZX", Variant(u"&H8000"), 0, Variant(int16_t{-32768})},
        {u"LevelLZX", Variant(u"&O177777"), 0, Variant(int16_t{-1})},
        {u"cabMultiVolume", Variant(u"&HFFFF"), 0, Variant(int32_t{65535})},
        {u"cabMultiVolume", Variant(u"&HFFFFFFFF"), 0, Variant(int32_t{-1})},
        {u"cabMultiVolume", Variant(u"&H7FFFFFFF"), 0, Variant(int32_t{2147483647})},
        {u"LevelLZX", Variant(u"1E3"), 0, Variant(int16_t{1000})},
        {u"LevelLZX", Variant(u"1.5e+1"), 0, Variant(int16_t{15})},
        {u"LevelLZX", Variant(u"25E-1"), 0, Variant(int16_t{2})},  // 2.5, half to even
        {u"LevelLZX", Variant(u"35e-1"), 0, Variant(int16_t{4})},
        {u"LevelLZX", Variant(u"-1E-400"), 0, Variant(int16_t{0})},
        {u"LevelLZX", Variant(u".5"), 0, Variant(int16_t{0})},
        {u"LevelLZX", Variant(u"-32768.5"), 0, Variant(int16_t{-32768})},
        {u"cabMultiVolume", Variant(u"2.147483647E9"), 0, Variant(int32_t{2147483647})},
        {u"LevelLZX", Variant(int32_t{-32768}), 0, Variant(int16_t{-32768})},
        {u"LevelQUANTUM", Variant(int16_t{0}), 0, Variant(int16_t{0})},  // no setter rules
        {u"cabMultiVolume", Variant(int32_t{-5}), 0, Variant(int32_t{-5})},
        {u"swCommand", Variant(u"  -x  "), 0, Variant(u"  -x  ")},
        {u"pArcFileName", Variant(int32_t{42}), 0, Variant(u"42")},
        {u"swCommand", Variant(Boolean{true}), 0, Variant(u"True")},
        {u"eFolder", Variant(), 0, Variant(u"")},
        {u"ArcMode", Variant(u"LHA_"), automation::kTypeMismatch, {}},
        {u"ArcMode", Variant(u""), automation::kTypeMismatch, {}},
        {u"swDialog", Variant(u"yes"), automation::kTypeMismatch, {}},
        {u"cabMultiVolume", Variant(u"1 2"), automation::kTypeMismatch, {}},
        {u"cabMultiVolume", Variant(u"3000000000"), automation::kOverflow, {}},
        {u"LevelLZX", Variant(int32_t{40000}), automation::kOverflow, {}},
        {u"LevelQUANTUM", Variant(u"-32769"), automation::kOverflow, {}},
        {u"LevelQUANTUM", Variant(u"abc"), automation::kTypeMismatch, {}},
        {u"LevelLZX", Variant(u"&H10000"), automation::kOverflow, {}},
        {u"LevelLZX", Variant(u"&O200000"), automation::kOverflow, {}},
        {u"cabMultiVolume", Variant(u"&H100000000"), automation::kOverflow, {}},
        {u"cabMultiVolume", Variant(u"&HFFFFFFFFFFFFFFFFFFFF"), automation::kOverflow, {}},
        {u"LevelLZX", Variant(u"4E4"), automation::kOverflow, {}},
        {u"LevelLZX", Variant(u"32767.5"), automation::kOverflow, {}},  // rounds to 32768
        {u"cabMultiVolume", Variant(u"1E400"), automation::kOverflow, {}},
        {u"cabMultiVolume", Variant(u"-1E400"), automation::kOverflow, {}},
        {u"swDialog", Variant(u"1E400"), 0, Variant(int16_t{-1})},
        {u"LevelLZX", Variant(u"&H"), automation::kTypeMismatch, {}},
        {u"LevelLZX", Variant(u"&HG"), automation::kTypeMismatch, {}},
        {u"LevelLZX", Variant(u"&O8"), automation::kTypeMismatch, {}},
        {u"LevelLZX", Variant(u"&X1"), automation::kTypeMismatch, {}},
        {u"LevelLZX", Variant(u"1E"), automation::kTypeMismatch, {}},
        {u"LevelLZX", Variant(u"E3"), automation::kTypeMismatch, {}},
        {u"LevelLZX", Variant(u"1E3x"), automation::kTypeMismatch, {}},
        {u"LevelLZX", Variant(u"."), automation::kTypeMismatch, {}},
        {u"swDialog", Variant(u"&Hx"), automation::kTypeMismatch, {}},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(testing::U8(t.key) + " = " + testing::U8(t.stored.ToStr()));
        MemoryPropertyBag bag;
        bag.Store(t.key, t.stored);
        Quorvex6 c;
        EXPECT_EQ(NumberOf([&] { c.Load(bag); }), t.failure);
        if (t.failure != 0) continue;
        EXPECT_EQ(FieldOf(c, t.key), t.loaded);
    }
}

TEST(Persistence, BooleansKeepTheHostsBitsThroughDispatchSavingAndLoading) {
    // Neither -1 nor 0: each is saved as given and is still on when the switches are composed.
    const std::pair<std::u16string, int16_t> flags[] = {
        {u"swUnderFolder", 5},  {u"swDialog", 1},         {u"swGaugeProgress", -2},
        {u"swFolderName", 256}, {u"swAttribute", -32768}, {u"swCheckTimeStamp", 32767},
        {u"swDiskSpace", 2}};
    auto c = Quorvex6::CreateNew();
    for (const auto& [name, bits] : flags) {
        const std::vector<Variant> value{Variant(Boolean::Stored(bits))};
        c->Invoke(name, InvokeKind::Put, value);
        EXPECT_EQ(c->Invoke(name, InvokeKind::Get, {}), Variant(Boolean::Stored(bits)));
        EXPECT_EQ(FieldOf(*c, name), Variant(bits)) << testing::U8(name);
    }
    MemoryPropertyBag bag;
    c->Save(bag);
    Quorvex6 loaded;
    loaded.Load(bag);
    for (const auto& [name, bits] : flags) {
        SCOPED_TRACE(testing::U8(name));
        ASSERT_NE(bag.Find(name), nullptr);
        EXPECT_EQ(*bag.Find(name), Variant(Boolean::Stored(bits)));
        EXPECT_EQ(FieldOf(loaded, name), Variant(bits));
    }
    ComposeSwitches(loaded.state());
    EXPECT_EQ(loaded.state().switches.optLhaPack, u"-r2 -x1 -a1 -jp1 -jm2");

    c->put_swDialog(7);  // the typed setter, read through dispatch
    EXPECT_EQ(c->Invoke(u"swDialog", InvokeKind::Get, {}).booleanBits(), 7);
}

TEST(Persistence, AFailureStopsLoadingAtItsKey) {
    // Text under a boolean key in the middle: the keys before it load, the rest keep their values.
    auto c = Quorvex6::CreateNew();
    c->state().Error = 7;
    c->put_swCommand(u"before");
    c->put_LevelLZX(16);
    MemoryPropertyBag bag;
    bag.Store(u"ArcMode", int32_t{2});
    bag.Store(u"eFolder", u"loaded");
    bag.Store(u"swGaugeProgress", u"not a boolean");
    bag.Store(u"swDialog", Boolean{false});  // read before the failing key
    bag.Store(u"swFolderName", Boolean{false});
    bag.Store(u"swCommand", u"after");
    bag.Store(u"LevelLZX", int16_t{20});
    EXPECT_EQ(NumberOf([&] { c->Load(bag); }), automation::kTypeMismatch);
    EXPECT_EQ(c->get_ArcMode(), 2);
    EXPECT_EQ(Module().CurrentArcMode, 2);
    EXPECT_EQ(c->get_eFolder(), u"loaded");
    EXPECT_EQ(c->get_swDialog(), 0);
    EXPECT_EQ(c->get_swGaugeProgress(), 0);
    EXPECT_EQ(c->get_swFolderName(), -1);
    EXPECT_EQ(c->get_swCommand(), u"before");
    EXPECT_EQ(c->get_LevelLZX(), 16);
    EXPECT_EQ(c->get_Error(), 7);
    EXPECT_TRUE(c->get_Errorstring().empty());

    // The bag itself failing, on reading and on writing.
    RecordingBag failing;
    failing.Store(u"sfxFolder", u"loaded");
    failing.Store(u"sfxCommand", u"not reached");
    failing.failAt = u"sfxType";
    EXPECT_THROW(c->Load(failing), std::runtime_error);
    EXPECT_EQ(c->get_sfxFolder(), u"loaded");
    EXPECT_EQ(c->get_sfxCommand(), u"");
    EXPECT_EQ(failing.reads.back().first, u"sfxType");

    RecordingBag target;
    target.failAt = u"pTypeOfArc";
    EXPECT_THROW(c->Save(target), std::runtime_error);
    ASSERT_EQ(target.writes.size(), 3u);
    EXPECT_EQ(target.writes.back().first, u"pBaseFolder");
}

TEST(MemoryPropertyBag, AValueEqualToItsDefaultIsNotStored) {
    struct Case {
        Variant value, def;
        bool stored;
    };
    const Case cases[] = {
        {Variant(int32_t{0}), Variant(int16_t{0}), false},
        {Variant(int32_t{70000}), Variant(int16_t{4464}), true},  // equal only in the low 16 bits
        {Variant(Boolean{true}), Variant(Boolean{true}), false},
        {Variant(Boolean{false}), Variant(int16_t{0}), false},
        {Variant(u""), Variant(u""), false},
        {Variant(u"0"), Variant(int16_t{0}), true},
        {Variant(u""), Variant(), true},
        {Variant(), Variant(int16_t{0}), true},
        {Variant(), Variant(), false},
        {Variant(u"a"), Variant(u"A"), true},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(testing::U8(t.value.ToStr()) + " against " + testing::U8(t.def.ToStr()));
        MemoryPropertyBag bag;
        bag.Write(u"k", t.value, t.def);
        EXPECT_EQ(bag.Find(u"k") != nullptr, t.stored);
    }

    // Writing the default over a stored value removes it: reading gives the default again.
    MemoryPropertyBag bag;
    bag.Write(u"k", int32_t{3}, int16_t{0});
    bag.Write(u"k", int32_t{0}, int16_t{0});
    EXPECT_EQ(bag.Read(u"k", int16_t{9}), Variant(int16_t{9}));
}

}  // namespace
}  // namespace quorvex6
