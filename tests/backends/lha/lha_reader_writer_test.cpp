// The format's shape: the bid, the Reader over a whole archive, and the Writer with raw copies.
#include <gtest/gtest.h>

#include "backends/lha/memory_bytes.h"
#include "formats/lha/lha_format.h"
#include "formats/lha/lha_reader.h"
#include "formats/lha/lha_writer.h"

namespace quorvex6::backend::lha {
namespace {

using test::Bytes;
using test::CollectSink;
using test::FaultOf;
using test::MemoryInput;
using test::MemoryOutput;

Entry NewEntry(const std::string& name) {
    Entry e;
    e.name = name;
    e.mtime = 1700000000;
    e.unix_mode = 0644;
    return e;
}

Bytes Text(std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>("abcdefgh "[i % 9]);
    return b;
}

// An archive of the named members, each holding `Text` of its index's size.
Bytes Archive(const std::vector<std::string>& names) {
    MemoryOutput out;
    Writer writer(out, "lh5");
    for (std::size_t i = 0; i < names.size(); ++i) {
        Entry e = NewEntry(names[i]);
        MemoryInput data(Text(1000 * (i + 1)));
        writer.Add(e, &data);
    }
    writer.Finish();
    return out.bytes;
}

Bytes Cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(LhaBid, FindsTheArchiveAtItsStartOrBehindAProgram) {
    const Bytes archive = Archive({"a.txt"});
    Bytes program = {'M', 'Z'};
    program.resize(3000, 0x90);
    Bytes method_like_noise(500, ' ');
    method_like_noise[100] = method_like_noise[104] = '-';
    struct Case {
        const char* what;
        Bytes head;
        std::optional<std::uint64_t> start;
    };
    for (const Case& c : {
             Case{"archive", archive, 0},
             Case{"behind a program", Cat(program, archive), program.size()},
             Case{"head cut inside the member", Bytes(archive.begin(), archive.begin() + 60), 0},
             Case{"lone end marker", {0}, 0},
             Case{"text", Bytes(2000, 'x'), std::nullopt},
             Case{"dashes where a method would be", method_like_noise, std::nullopt},
             Case{"empty", {}, std::nullopt},
         }) {
        EXPECT_EQ(Bid(c.head), c.start) << c.what;
    }
}

TEST(LhaReader, ListsDecodesAndReportsWhatBrokeAfterTheMembers) {
    const Bytes archive = Archive({"a.txt", "b.txt", "c.txt"});
    MemoryInput whole(archive);
    Reader reader(whole);
    ASSERT_EQ(reader.entries().size(), 3u);
    EXPECT_EQ(reader.end_error(), std::nullopt);
    EXPECT_EQ(reader.start_damage(), "");
    for (std::size_t i = 0; i < 3; ++i) {
        CollectSink sink;
        reader.Decode(reader.entries()[i], sink);
        EXPECT_EQ(sink.bytes, Text(1000 * (i + 1))) << i;
    }
    // The third header's method damaged: two members stay readable.
    Bytes damaged = archive;
    damaged[reader.entries()[2].header_offset + kMethodField] = 'x';
    MemoryInput in(damaged);
    Reader partial(in);
    EXPECT_EQ(partial.entries().size(), 2u);
    ASSERT_TRUE(partial.end_error());
    EXPECT_EQ(partial.end_error()->fault(), io::Fault::kBrokenHeader);
}

TEST(LhaReader, RefusesWhatHoldsNoArchive) {
    struct Case {
        const char* what;
        Bytes bytes;
        io::Fault fault;
    };
    Bytes lone_damaged = Archive({"a.txt"});
    lone_damaged[kMethodField] = 'x';
    for (const Case& c :
         {Case{"text", Bytes(5000, 't'), io::Fault::kNotArchive},
          Case{"empty", {}, io::Fault::kNotArchive},
          Case{"its only header damaged", lone_damaged, io::Fault::kBrokenHeader}}) {
        MemoryInput in(c.bytes);
        EXPECT_EQ(FaultOf([&] { Reader reader(in); }), c.fault) << c.what;
    }
}

// An update keeps members byte for byte, whatever the method it packs new ones with.
TEST(LhaWriter, CopiesKeptMembersRawBesideNewOnes) {
    const Bytes old_bytes = Archive({"kept.txt", "dropped.txt"});
    MemoryInput old_in(old_bytes);
    Reader old(old_in);
    MemoryOutput out;
    Writer writer(out, "lh7");
    writer.CopyRaw(old, old.entries()[0]);
    Entry added = NewEntry("new.txt");
    MemoryInput data(Text(5000));
    writer.Add(added, &data);
    writer.Finish();

    const Entry& kept = old.entries()[0];
    const Bytes kept_bytes(old_bytes.begin() + static_cast<std::ptrdiff_t>(kept.header_offset),
                           old_bytes.begin() + static_cast<std::ptrdiff_t>(kept.next_offset()));
    ASSERT_GE(out.bytes.size(), kept_bytes.size());
    EXPECT_TRUE(std::equal(kept_bytes.begin(), kept_bytes.end(), out.bytes.begin()));
    MemoryInput in(out.bytes);
    Reader reader(in);
    ASSERT_EQ(reader.entries().size(), 2u);
    EXPECT_EQ(reader.entries()[1].name, "new.txt");
    EXPECT_EQ(reader.entries()[1].method, "lh7");
    CollectSink sink;
    reader.Decode(reader.entries()[1], sink);
    EXPECT_EQ(sink.bytes, Text(5000));
    EXPECT_EQ(out.bytes.back(), kEndMarker);
}

}  // namespace
}  // namespace quorvex6::backend::lha
