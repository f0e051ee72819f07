// Solid RAR streams decoded member after member through one decoder: in order, one member
// alone (its predecessors decoded into nothing), backwards, and members whose stream broke
// before them; the declared dictionary refused past the bound; the window growing with its
// stream.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <functional>

#include "backends/rar/rar_test_support.h"
#include "codecs/rar5/rar5_decoder.h"
#include "codecs/rar5/window.h"
#include "formats/rar/solid_stream.h"

namespace quorvex6::backend::rar {
namespace {

Decoded StreamDecode(SolidStream& stream, std::size_t index) {
    return Capture([&](io::Sink& sink) { stream.Decode(index, sink); });
}

std::vector<std::size_t> DataEntries(const VolumeSet& set) {
    std::vector<std::size_t> indices;
    for (std::size_t i = 0; i < set.entries().size(); ++i)
        if (set.entries()[i].entry.has_data()) indices.push_back(i);
    return indices;
}

// Solid archives the real program made, and archives of separate streams (one decoder serves
// them all in turn): every member decodes in order, and alone, and backwards, to the same
// bytes, each checked against its CRC-32 or BLAKE2sp.
TEST(RarSolid, MembersDecodeInOrderAloneAndBackwardsAlike) {
    struct Case {
        const char* file;
        std::size_t members;  // with data, all of which decode
    };
    const Case cases[] = {
        {"rarfile/rar5-solid.rar", 2},
        {"libarchive/test_read_format_rar5_solid.rar", 7},
        {"libarchive/test_read_format_rar5_multiple_files_solid.rar", 4},
        {"libarchive/test_read_format_rar5_multiple_files.rar", 4},
        {"libarchive/test_read_format_rar_compress_normal.rar", 4},
        {"libarchive/test_read_format_rar_compress_best.rar", 4},
        {"libarchive/test_read_format_rar_filter.rar", 1},
    };
    for (const Case& c : cases) {
        VolumeSet set = OpenSet(RarData(c.file));
        SetInputs inputs(set);
        std::vector<std::size_t> members = DataEntries(set);
        ASSERT_EQ(members.size(), c.members) << c.file;
        SolidStream in_order(set.entries(), std::ref(inputs));
        std::vector<Decoded> want;
        for (std::size_t i : members) {
            want.push_back(StreamDecode(in_order, i));
            EXPECT_FALSE(want.back().fault) << c.file << " " << set.entries()[i].entry.name;
            EXPECT_EQ(want.back().bytes.size(), set.entries()[i].entry.original_size);
        }
        for (std::size_t k = 0; k < members.size(); ++k) {
            SolidStream alone(set.entries(), std::ref(inputs));
            EXPECT_EQ(StreamDecode(alone, members[k]).bytes, want[k].bytes) << c.file << k;
        }
        SolidStream backwards(set.entries(), std::ref(inputs));
        for (std::size_t k = members.size(); k-- > 0;)
            EXPECT_EQ(StreamDecode(backwards, members[k]).bytes, want[k].bytes) << c.file << k;
    }
}

// What the crafted archives of the suite give through a stream: a fault or data within the
// declared size, never a crash.
TEST(RarSolid, CraftedWindowsGiveAFaultOrTheirData) {
    for (const char* file : {"libarchive/test_read_format_rar5_different_window_size.rar",
                             "libarchive/test_read_format_rar5_different_winsize_on_merge.rar",
                             "libarchive/test_read_format_rar5_bad_window_sz_in_mltarc_file.rar",
                             "libarchive/test_read_format_rar5_window_buf_and_size_desync.rar"}) {
        try {
            VolumeSet set = OpenSet(RarData(file));
            SetInputs inputs(set);
            SolidStream stream(set.entries(), std::ref(inputs));
            for (std::size_t i : DataEntries(set))
                EXPECT_LE(StreamDecode(stream, i).bytes.size(),
                          set.entries()[i].entry.original_size)
                    << file;
        } catch (const io::Error&) {
        }
    }
}

// The second member of rar5-solid.rar after its predecessor was spoiled one way or another:
// it fails with a fault, never gives wrong data.
TEST(RarSolid, AMemberAfterABrokenOneFails) {
    struct Case {
        const char* what;
        std::function<void(Entry&)> spoil_first;
        io::Fault first, second;
    };
    const Case cases[] = {
        {"encrypted", [](Entry& e) { e.encrypted = true; }, io::Fault::kEncrypted,
         io::Fault::kEncrypted},
        {"unknown algorithm", [](Entry& e) { e.version = 1; }, io::Fault::kUnknownMethod,
         io::Fault::kUnknownMethod},
        {"dictionary past the bound",
         [](Entry& e) { e.dictionary = codecs::rar5::kMaxDictionary * 2; },
         io::Fault::kUnknownMethod, io::Fault::kUnknownMethod},
        {"cut short", [](Entry& e) { e.packed_size -= 10; }, io::Fault::kBrokenData,
         io::Fault::kBrokenData},
        {"continuing from nothing", [](Entry& e) { e.solid = true; }, io::Fault::kBrokenData,
         io::Fault::kBrokenData},
    };
    VolumeSet set = OpenSet(RarData("rarfile/rar5-solid.rar"));
    SetInputs inputs(set);
    for (const Case& c : cases) {
        std::vector<JoinedEntry> entries = set.entries();
        c.spoil_first(entries[0].entry);
        entries[0].pieces[0].entry = entries[0].entry;
        SolidStream alone(entries, std::ref(inputs));
        Decoded second = StreamDecode(alone, 1);
        EXPECT_EQ(second.fault, c.second) << c.what;
        SolidStream in_order(entries, std::ref(inputs));
        EXPECT_EQ(StreamDecode(in_order, 0).fault, c.first) << c.what;
        EXPECT_EQ(StreamDecode(in_order, 1).fault, c.second) << c.what;
    }
}

// A later member alone, without the stream, cannot be decoded: its start is not there.
TEST(RarSolid, AFreshDecoderRefusesAContinuation) {
    VolumeSet set = OpenSet(RarData("rarfile/rar5-solid.rar"));
    EXPECT_EQ(DecodeEntry(set, set.entries().at(1)).fault, io::Fault::kUnknownMethod);
    EXPECT_FALSE(DecodeEntry(set, set.entries().at(0)).fault);
}

TEST(Rar5Decoder, PrepareTakesOnlyWhatItCan) {
    struct Case {
        codecs::MemberSetup setup;
        bool after_a_stream;
        bool taken;
    };
    const Case cases[] = {
        {{codecs::rar5::kMaxDictionary + 1, false}, false, false},
        {{UINT64_MAX, false}, false, false},
        {{codecs::rar5::kMaxDictionary, false}, false, true},  // nothing allocated yet
        {{1 << 20, false}, false, true},
        {{1 << 20, true}, false, false},  // nothing to continue
        {{1 << 20, true}, true, true},
    };
    for (const Case& c : cases) {
        auto decoder = codecs::rar5::MakeDecoder();
        if (c.after_a_stream) {
            ASSERT_TRUE(decoder->prepare({1 << 20, false}));
        }
        EXPECT_EQ(decoder->prepare(c.setup), c.taken)
            << c.setup.window_size << " " << c.setup.continues_stream;
    }
}

TEST(Rar5Window, GrowingKeepsTheLastBytesWhereTheStreamHasThem) {
    struct Case {
        std::uint64_t first, written, grown;
    };
    const Case cases[] = {
        {256, 200, 1024},  // not yet wrapped
        {256, 700, 1024},  // wrapped twice: the last 256 bytes are kept
        {256, 300, 200},   // never shrinks
        {300, 100, 512},   // rounded up to a power of two
    };
    for (const Case& c : cases) {
        codecs::rar5::Window w;
        w.Fit(0, c.first);
        for (std::uint64_t p = 0; p < c.written; ++p) w[p] = static_cast<std::uint8_t>(p * 7);
        const std::uint64_t before = w.size();
        w.Fit(c.written, c.grown);
        EXPECT_EQ(w.size(), std::max<std::uint64_t>(before, std::bit_ceil(c.grown)));
        for (std::uint64_t p = c.written - std::min(c.written, before); p < c.written; ++p)
            ASSERT_EQ(w[p], static_cast<std::uint8_t>(p * 7)) << c.written << " " << p;
    }
}

}  // namespace
}  // namespace quorvex6::backend::rar
