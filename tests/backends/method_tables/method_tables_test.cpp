// A method in two parts would answer differently by who asks; a container asking its part for
// a method kept in another would fail only when it meets such an entry.
#include "codecs/method_tables.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "formats/tar/tar_compression.h"
#include "formats/zip/zip_methods.h"

namespace quorvex6::backend::codecs {
namespace {

struct Part {
    const char* name;
    MethodTable table;
};

std::vector<Part> Parts() {
    return {{"lh", LhMethods()}, {"rar", RarMethods()}, {"stream", StreamMethods()}};
}

TEST(MethodTables, EveryMethodIsInOnePartAndFoundThere) {
    std::map<std::string_view, std::string> owner;
    for (const Part& part : Parts()) {
        EXPECT_FALSE(part.table.empty()) << part.name;
        for (const Method& m : part.table) {
            const auto [it, fresh] = owner.emplace(m.id, part.name);
            EXPECT_TRUE(fresh) << m.id << " is in " << it->second << " and " << part.name;
            EXPECT_NE(m.make_decoder, nullptr) << m.id;
            EXPECT_EQ(FindMethod(part.table, m.id), &m) << m.id;
            EXPECT_EQ(FindMethod(m.id), &m) << m.id;
        }
    }
    EXPECT_EQ(FindMethod("no-such-method"), nullptr);
    EXPECT_EQ(FindMethod(LhMethods(), "rar29"), nullptr);
}

std::vector<std::string> ZipCodecs() {
    std::vector<std::string> ids;
    for (const zip::MethodRow& row : zip::Methods()) {
        if (!row.codec.empty()) ids.emplace_back(row.codec);
    }
    return ids;
}

std::vector<std::string> TarCodecs() {
    std::vector<std::string> ids;
    for (const tar::CompressionRow& row : tar::kCompressions) {
        if (!row.codec.empty()) ids.emplace_back(row.codec);
    }
    return ids;
}

TEST(MethodTables, EachContainerFindsWhatItAsksForInItsPart) {
    const struct {
        const char* container;
        MethodTable part;
        std::vector<std::string> ids;
    } cases[] = {
        {"arj", LhMethods(), {"arj0", "arj1", "arj2", "arj3", "arj4"}},
        {"lha", LhMethods(), {"lh0", "lz4", "lh1", "lh4", "lh5", "lh6", "lh7", "lzs", "lz5"}},
        {"rar", RarMethods(), {"rar15", "rar20", "rar29", "rar5"}},
        {"zip", StreamMethods(), ZipCodecs()},
        {"tar", StreamMethods(), TarCodecs()},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(c.ids.empty()) << c.container;
        for (const std::string& id : c.ids) {
            EXPECT_NE(FindMethod(c.part, id), nullptr) << c.container << " asks for " << id;
        }
    }
}

TEST(MethodTables, WritersFindTheirEncodersInTheirParts) {
    const struct {
        MethodTable part;
        const char* id;
    } cases[] = {
        {LhMethods(), "arj1"},     {LhMethods(), "lh0"},          {LhMethods(), "lh5"},
        {LhMethods(), "lh7"},      {StreamMethods(), "deflate1"}, {StreamMethods(), "deflate9"},
        {StreamMethods(), "gzip"}, {StreamMethods(), "zstd"},
    };
    for (const auto& c : cases) {
        const Method* m = FindMethod(c.part, c.id);
        ASSERT_NE(m, nullptr) << c.id;
        EXPECT_NE(m->make_encoder, nullptr) << c.id;
    }
}

}  // namespace
}  // namespace quorvex6::backend::codecs
