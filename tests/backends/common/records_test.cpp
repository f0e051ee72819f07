#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "common/code_page.h"
#include "common/command_gate.h"
#include "common/dos_time.h"
#include "common/entry_info.h"
#include "common/handle_table.h"
#include "common/output_log.h"
#include "common/result.h"
#include "io/text.h"

namespace quorvex6::backend {
namespace {

class RecordsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
    }
};

TEST_F(RecordsTest, EntryInfoFields) {
    EntryFacts facts;
    facts.name = "docs/readme.txt";
    facts.original_size = 5000000000ull;
    facts.compressed_size = 1000;
    facts.crc = 0x1234ABCD;
    facts.mtime = 994842330;  // 2001-07-11 09:05:30 UTC
    facts.method = "Defla";
    facts.read_only = true;
    QvEntryInfo info;
    FillEntryInfo(facts, &info);
    EXPECT_EQ(info.original_size, 0xFFFFFFFFu);
    EXPECT_EQ(info.compressed_size, 1000u);
    EXPECT_EQ(info.dos_date, (21 << 9) | (7 << 5) | 11);
    EXPECT_EQ(info.dos_time, (9 << 11) | (5 << 5) | 15);
    EXPECT_STREQ(info.name, "docs/readme.txt");
    EXPECT_STREQ(info.attribute, "a---");
    EXPECT_STREQ(info.method, "Defla");
    facts.name = std::string(600, 'n');
    facts.method = "toolongmethod";
    FillEntryInfo(facts, &info);
    EXPECT_EQ(std::strlen(info.name), 512u);
    EXPECT_EQ(std::strlen(info.method), 7u);
}

TEST_F(RecordsTest, AttributesAndRatios) {
    EntryFacts f;
    EXPECT_EQ(AttributeText(f), "a--w");
    f.folder = true;
    f.hidden = true;
    f.system = true;
    EXPECT_EQ(AttributeText(f), "dshw");
    f = {};
    f.archive_bit = false;
    f.read_only = true;
    EXPECT_EQ(AttributeText(f), "----");
    EXPECT_EQ(RatioPerMille(0, 10), 0);
    EXPECT_EQ(RatioPerMille(1000, 523), 523);
    EXPECT_EQ(RatioPerMille(10, 20), 2000);
    EXPECT_EQ(RatioPerMille(1, 1000000), 32767);
    EXPECT_EQ(RatioPerMille(1ull << 40, 1ull << 39), 500);
}

TEST_F(RecordsTest, DosTimeRoundTripAndClamp) {
    int64_t t = 1704067200;  // 2024-01-01 00:00:00
    EXPECT_EQ(FromDosDateTime(ToDosDateTime(t)), t);
    EXPECT_EQ(FromDosDateTime(ToDosDateTime(t + 1)), t);  // two-second steps
    EXPECT_EQ(ToDosDateTime(0).date, (1 << 5) | 1);       // before 1980
    EXPECT_EQ(FromDosDateTime({0, 0}), -1);
}

TEST_F(RecordsTest, LogIsCutAndAlwaysTerminated) {
    OutputLog log;
    log.Line("hello");
    log.Line("world");
    char out[8];
    std::memset(out, 'x', sizeof out);
    log.CopyTo(out, sizeof out);
    EXPECT_STREQ(out, "hello\nw");
    log.CopyTo(out, 1);
    EXPECT_EQ(out[0], '\0');
    log.CopyTo(nullptr, 100);
    OutputLog big;
    for (int i = 0; i < 100000; ++i) big.Line(std::string(100, 'z'));
    EXPECT_LE(big.text().size(), OutputLog::kMaxBytes + 8);
}

TEST_F(RecordsTest, TwoPartLinesAreWholeLinesAndCountBothParts) {
    OutputLog log;
    log.Line("added ", "a/b.txt");
    log.Line("", "");
    EXPECT_EQ(log.text(), "added a/b.txt\n\n");
    // The tail alone fits under the bound; with its head it does not.
    OutputLog near_full;
    near_full.Line(std::string(OutputLog::kMaxBytes - 10, 'z'));
    near_full.Line(std::string(6, 'h'), std::string(6, 't'));
    EXPECT_TRUE(near_full.text().ends_with("z\n...\n"));
}

TEST_F(RecordsTest, GateRunningFlagAndCodes) {
    CommandGate gate;
    char out[64] = {};
    int32_t inner = -1;
    int32_t outer = gate.Run(out, sizeof out, [&](OutputLog&) {
        EXPECT_TRUE(gate.running());
        inner = gate.Run(nullptr, 0, [](OutputLog&) { return 0; });
        throw Failure(result::kBrokenHeader, "bad header");
        return 0;
    });
    EXPECT_EQ(inner, result::kAlreadyRunning);
    EXPECT_EQ(outer, result::kBrokenHeader);
    EXPECT_STREQ(out, "bad header\n");
    EXPECT_FALSE(gate.running());
    EXPECT_EQ(gate.Run(out, sizeof out, [](OutputLog&) -> int32_t { throw std::bad_alloc(); }),
              result::kNoHeapMemory);
}

TEST_F(RecordsTest, HandlesAreSmallAndReused) {
    HandleTable<int> table;
    EXPECT_EQ(table.Add(std::make_unique<int>(1)), 1u);
    EXPECT_EQ(table.Add(std::make_unique<int>(2)), 2u);
    EXPECT_EQ(table.Add(std::make_unique<int>(3)), 3u);
    EXPECT_TRUE(table.Remove(2));
    EXPECT_FALSE(table.Remove(2));
    EXPECT_EQ(table.Get(2), nullptr);
    EXPECT_EQ(table.Add(std::make_unique<int>(4)), 2u);
    EXPECT_EQ(*table.Get(2), 4);
    EXPECT_EQ(table.Get(0), nullptr);
}

TEST_F(RecordsTest, LegacyNames) {
    EXPECT_EQ(DecodeLegacyName("plain/ascii.txt"), "plain/ascii.txt");
    EXPECT_EQ(DecodeLegacyName("\x93\xfa\x96\x7b\x8c\xea.txt"), "日本語.txt");  // Shift_JIS
    EXPECT_EQ(DecodeLegacyName("\x81"), "ü");                                   // not CP932: CP437
    EXPECT_EQ(DecodeLegacyName("caf\x82"), "café");
    EXPECT_EQ(DecodeLegacyName("caf\xc3\xa9"), "café");  // UTF-8 without the flag, not kana
    EXPECT_TRUE(io::IsValidUtf8("日本"));
    EXPECT_FALSE(io::IsValidUtf8("\xc3"));
    EXPECT_FALSE(io::IsValidUtf8("\xc0\x80"));
}

}  // namespace
}  // namespace quorvex6::backend
