// Damaged texts: lines lost or garbled in every block, too many to repair, data that passes its
// line checks but not the file's CRC, and texts that lie about what they hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "backends/ish_codec/ish_support.h"
#include "backends/lh_codecs/memory_streams.h"
#include "codecs/ish/crc16.h"
#include "codecs/ish/line_text.h"
#include "codecs/ish/records.h"

namespace quorvex6::backend::codecs::ish::test {
namespace {

using codecs::test::MemorySink;
using codecs::test::MemorySource;

// Where each block's lines stand in a text: block -> line number -> index in `lines`.
using LineMap = std::vector<std::map<std::size_t, std::size_t>>;

LineMap map_lines(const std::vector<std::string>& lines, Variant v) {
    LineMap map;
    std::size_t last = SIZE_MAX;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        Record r;
        const auto* p = reinterpret_cast<const std::uint8_t*>(lines[i].data());
        if (!ReadDataLine({p, lines[i].size()}, v, r)) continue;
        if (r.number() < last) map.emplace_back();
        last = r.number();
        map.back()[r.number()] = i;
    }
    return map;
}

// One character changed for another of every alphabet, so that the line's CRC fails.
void garble(std::string& line) { line[25] = line[25] == 'A' ? 'B' : 'A'; }

struct Loss {
    const char* what;
    std::vector<std::size_t> numbers;  // of the block's lines; 0 stands for its last data line
    bool delete_lines;                 // else garbled
};

std::vector<std::size_t> resolve(const std::vector<std::size_t>& numbers,
                                 const std::map<std::size_t, std::size_t>& block, const Layout& l) {
    std::size_t last_data = 0;
    for (const auto& [n, i] : block) {
        if (n <= l.payload()) last_data = n;
    }
    std::vector<std::size_t> out;
    for (std::size_t n : numbers) out.push_back(n == 0 ? last_data : n);
    return out;
}

TEST(Damage, OneOrTwoLinesOfEveryBlockAreRebuilt) {
    for (Variant v : kVariants) {
        const Layout& l = LayoutOf(v);
        const std::size_t m = l.vertical(), d = l.diagonal();
        const Loss losses[] = {
            {"first data line", {1}, true},      {"last data line", {0}, false},
            {"two adjacent", {4, 5}, true},      {"two apart", {2, 0}, false},
            {"first and second", {1, 2}, false}, {"data and vertical", {7, m}, true},
            {"data and diagonal", {3, d}, true}, {"both check lines", {m, d}, false},
            {"vertical alone", {m}, true},
        };
        // Two whole blocks and a short third one.
        Bytes data = random_bytes(2 * l.payload() * l.payload() + 9 * l.payload(), 21);
        Bytes clean = encode(info_for("d.bin", data.size(), v), data);
        for (const Loss& loss : losses) {
            SCOPED_TRACE(std::string(l.name) + ": " + loss.what);
            std::vector<std::string> lines = split_lines(clean);
            LineMap map = map_lines(lines, v);
            ASSERT_EQ(map.size(), 3U);
            std::vector<std::size_t> doomed;
            for (const auto& block : map) {
                for (std::size_t n : resolve(loss.numbers, block, l)) doomed.push_back(block.at(n));
            }
            for (std::size_t i : doomed) garble(lines[i]);
            if (loss.delete_lines) {
                std::sort(doomed.rbegin(), doomed.rend());
                for (std::size_t i : doomed)
                    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
            }
            std::vector<Decoded> files = decode_all(join_lines(lines));
            ASSERT_EQ(files.size(), 1U);
            EXPECT_EQ(files[0].status, Status::kOk);
            EXPECT_EQ(files[0].report.fault, Fault::kNone);
            EXPECT_EQ(files[0].report.lost_lines, 3 * loss.numbers.size());
            EXPECT_TRUE(files[0].data == data);
        }
    }
}

TEST(Damage, ThreeLostLinesOrTwoBesideTheDiagonalAreRefused) {
    const Layout& l = LayoutOf(Variant::kShiftJis);
    struct Case {
        const char* what;
        std::size_t block;
        std::vector<std::size_t> numbers;
    };
    const Case cases[] = {
        {"three data lines", 1, {6, 16, 26}},
        {"two data lines and the diagonal", 0, {1, 70, l.diagonal()}},
        {"data line and both check lines", 2, {3, l.vertical(), l.diagonal()}},
        {"four lines", 0, {1, 2, 3, 4}},
    };
    Bytes data = random_bytes(2 * l.payload() * l.payload() + 9 * l.payload(), 22);
    Bytes clean = encode(info_for("d.bin", data.size(), Variant::kShiftJis), data);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> lines = split_lines(clean);
        LineMap map = map_lines(lines, Variant::kShiftJis);
        for (std::size_t n : c.numbers) garble(lines[map[c.block].at(n)]);
        std::vector<Decoded> files = decode_all(join_lines(lines));
        ASSERT_EQ(files.size(), 1U);
        EXPECT_EQ(files[0].status, Status::kCorrupt);
        EXPECT_EQ(files[0].report.fault, Fault::kUnrepairableBlock);
        EXPECT_EQ(files[0].report.blocks, c.block);
        EXPECT_EQ(files[0].report.lost, c.numbers);
    }
}

// A data line changed and sealed again passes its own check; only the file's CRC sees it.
TEST(Damage, ALineThatChecksButIsWrongFailsTheFileCrc) {
    const Layout& l = LayoutOf(Variant::kJis8);
    Bytes data = random_bytes(3000, 23);
    std::vector<std::string> lines =
        split_lines(encode(info_for("c.bin", data.size(), Variant::kJis8), data));
    Record r;
    auto* text = reinterpret_cast<std::uint8_t*>(lines[6].data());
    ASSERT_TRUE(ReadDataLine({text, lines[6].size()}, Variant::kJis8, r));
    r.bytes[10] ^= 0x40;
    SealRecord(r.bytes.data(), l.record);
    EncodeLine(Variant::kJis8, r.bytes.data(), text);
    std::vector<Decoded> files = decode_all(join_lines(lines));
    ASSERT_EQ(files.size(), 1U);
    EXPECT_EQ(files[0].status, Status::kCorrupt);
    EXPECT_EQ(files[0].report.fault, Fault::kFileCrc);
}

TEST(Damage, TextThatEndsOrMovesOnBeforeTheLastBlock) {
    Bytes data = random_bytes(10000, 24);
    std::vector<std::string> lines =
        split_lines(encode(info_for("t.bin", data.size(), Variant::kJis7), data));
    std::vector<std::string> cut(lines.begin(), lines.begin() + 80);
    struct Case {
        const char* what;
        std::vector<std::string> lines;
    };
    std::vector<std::string> followed = cut;
    followed.insert(followed.end(), lines.begin(), lines.end());
    std::vector<std::string> headers_only(lines.begin(), lines.begin() + 4);
    std::vector<std::string> cut_in_last_block(lines.begin(), lines.end() - 20);
    for (const Case& c :
         {Case{"cut", cut}, Case{"next file follows", followed}, Case{"no data line", headers_only},
          Case{"cut in the last block", cut_in_last_block}}) {
        SCOPED_TRACE(c.what);
        std::vector<Decoded> files = decode_all(join_lines(c.lines));
        ASSERT_GE(files.size(), 1U);
        EXPECT_EQ(files[0].status, Status::kTruncated);
        EXPECT_EQ(files[0].report.fault, Fault::kMissingBlocks);
    }
    // What follows a cut file is a file of its own, whole.
    std::vector<Decoded> files = decode_all(join_lines(followed));
    ASSERT_EQ(files.size(), 2U);
    EXPECT_EQ(files[1].status, Status::kOk);
    EXPECT_EQ(files[1].data, data);
}

// Records that pass their CRC yet cannot be what they say.
TEST(Damage, SealedLinesWithImpossibleNumbersAreIgnored) {
    const Layout& l = LayoutOf(Variant::kJis7);
    Bytes data = random_bytes(500, 25);  // one short block of 9 data lines
    std::vector<std::string> lines =
        split_lines(encode(info_for("n.bin", data.size(), Variant::kJis7), data));
    std::vector<std::string> forged;
    for (std::size_t n : {l.record - 1, std::size_t{20}, std::size_t{5}, std::size_t{9}}) {
        Record r;
        r.bytes.fill(0xA5);
        r.bytes[0] = static_cast<std::uint8_t>(n);
        SealRecord(r.bytes.data(), l.record);
        std::string text(l.text, ' ');
        EncodeLine(Variant::kJis7, r.bytes.data(), reinterpret_cast<std::uint8_t*>(text.data()));
        forged.push_back(text);
    }
    // Line 62 is never used, line 20 lies past this block's last data line; a repeated line 5
    // or 9 right after the true one is a duplicate.
    lines.insert(lines.begin() + 5, forged[0]);
    lines.insert(lines.begin() + 14, forged[1]);
    lines.insert(lines.begin() + 10, forged[2]);
    lines.insert(lines.begin() + 15, forged[3]);
    std::vector<Decoded> files = decode_all(join_lines(lines));
    ASSERT_EQ(files.size(), 1U);
    EXPECT_EQ(files[0].status, Status::kOk) << static_cast<int>(files[0].report.fault);
    EXPECT_EQ(files[0].data, data);
}

TEST(Damage, RepeatedLinesAreTakenOnce) {
    Bytes data = random_bytes(8000, 26);
    std::vector<std::string> lines =
        split_lines(encode(info_for("r.bin", data.size(), Variant::kNonKana), data));
    std::vector<std::string> doubled;
    for (const std::string& l : lines) {
        doubled.push_back(l);
        doubled.push_back(l);
    }
    std::vector<Decoded> files = decode_all(join_lines(doubled));
    ASSERT_EQ(files.size(), 1U);
    EXPECT_EQ(files[0].status, Status::kOk);
    EXPECT_EQ(files[0].data, data);
}

TEST(Damage, AHeaderClaimingFourGigabytesCostsNothingUntilTheTextEnds) {
    Bytes data = random_bytes(200, 27);
    FileInfo info = info_for("huge.bin", data.size(), Variant::kJis7);
    std::vector<std::string> lines = split_lines(encode(info, data));
    info.size = 0xFFFFFFFF;
    HeaderRecord header = MakeHeader(info);
    for (std::size_t i = 1; i <= 3; ++i)
        EncodeLine(Variant::kJis7, header.data(), reinterpret_cast<std::uint8_t*>(lines[i].data()));
    auto start = std::chrono::steady_clock::now();
    std::vector<Decoded> files = decode_all(join_lines(lines));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    ASSERT_EQ(files.size(), 1U);
    EXPECT_EQ(files[0].info.size, 0xFFFFFFFFU);
    EXPECT_EQ(files[0].status, Status::kTruncated);
    EXPECT_EQ(files[0].report.fault, Fault::kMissingBlocks);
}

TEST(Damage, HeadersThatDoNotCheckOrNameNoVariantMakeNoFile) {
    Bytes data = random_bytes(100, 28);
    FileInfo info = info_for("h.bin", data.size(), Variant::kJis7);
    std::vector<std::string> lines = split_lines(encode(info, data));
    std::vector<std::string> garbled = lines;
    for (std::size_t i = 1; i <= 3; ++i) garble(garbled[i]);
    std::vector<std::string> unknown = lines;
    HeaderRecord header = MakeHeader(info);
    header[11] = 99;  // no variant has this type code
    SealRecord(header.data(), 63);
    for (std::size_t i = 1; i <= 3; ++i)
        EncodeLine(Variant::kJis7, header.data(),
                   reinterpret_cast<std::uint8_t*>(unknown[i].data()));
    EXPECT_TRUE(decode_all(join_lines(garbled)).empty());
    EXPECT_TRUE(decode_all(join_lines(unknown)).empty());
}

TEST(Damage, AVolumeOfASetIsNotDecodedAlone) {
    Bytes data = random_bytes(100, 29);
    FileInfo info = info_for("v.bin", data.size(), Variant::kJis7);
    info.volume = 2;
    std::vector<Decoded> files = decode_all(encode(info, data));
    ASSERT_EQ(files.size(), 1U);
    EXPECT_EQ(files[0].info.volume, 2);
    EXPECT_EQ(files[0].status, Status::kCorrupt);
    EXPECT_EQ(files[0].report.fault, Fault::kVolumeOfSet);
}

TEST(Damage, DecodingTwiceOrBeforeAHeaderIsRefused) {
    Bytes data = random_bytes(100, 30);
    Bytes text = encode(info_for("o.bin", data.size(), Variant::kJis7), data);
    MemorySource in(text);
    Reader reader(in);
    MemorySink out;
    EXPECT_EQ(reader.decode(out), Status::kCorrupt);
    ASSERT_TRUE(reader.next());
    EXPECT_EQ(reader.decode(out), Status::kOk);
    EXPECT_EQ(reader.decode(out), Status::kCorrupt);
    EXPECT_FALSE(reader.next());
}

TEST(Damage, ARandomTextGivesNoFile) {
    for (unsigned seed = 0; seed < 20; ++seed) {
        Bytes noise = random_bytes(50000, seed);
        EXPECT_TRUE(decode_all(noise, 1 + seed * 97).empty());
    }
}

// A Source that fails after some bytes.
class FailingSource final : public Source {
  public:
    FailingSource(const Bytes& data, std::size_t fail_at) : data_(data), fail_at_(fail_at) {}
    std::ptrdiff_t read(std::uint8_t* out, std::size_t size) override {
        if (pos_ >= fail_at_) return -1;
        std::size_t n = std::min(size, fail_at_ - pos_);
        std::copy_n(data_.begin() + static_cast<std::ptrdiff_t>(pos_), n, out);
        pos_ += n;
        return static_cast<std::ptrdiff_t>(n);
    }

  private:
    const Bytes& data_;
    std::size_t fail_at_;
    std::size_t pos_ = 0;
};

TEST(Damage, AReadErrorIsReportedAsOne) {
    Bytes data = random_bytes(10000, 31);
    Bytes text = encode(info_for("e.bin", data.size(), Variant::kJis7), data);
    FailingSource in(text, text.size() / 2);
    Reader reader(in);
    MemorySink out;
    ASSERT_TRUE(reader.next());
    EXPECT_EQ(reader.decode(out), Status::kReadFailed);
    EXPECT_FALSE(reader.next());
    EXPECT_EQ(reader.status(), Status::kReadFailed);
}

}  // namespace
}  // namespace quorvex6::backend::codecs::ish::test
