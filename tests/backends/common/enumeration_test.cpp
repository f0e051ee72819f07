#include "common/enumeration.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/result.h"

namespace quorvex6::backend {
namespace {

// Entries by name; "broken" stands for an archive that cannot be opened.
class NamedEntries final : public EntryListing {
  public:
    explicit NamedEntries(std::vector<std::string> names) : names_(std::move(names)) {}
    bool Next(EntryFacts& facts) override {
        if (next_ >= names_.size()) return false;
        facts.name = names_[next_++];
        return true;
    }
    void Restart() override { next_ = 0; }

  private:
    std::vector<std::string> names_;
    size_t next_ = 0;
};

Enumeration& Listings() {
    static Enumeration listings([](const std::string& archive) {
        if (archive == "broken") throw Failure(result::kNotValidArchive, "no archive");
        return std::make_unique<NamedEntries>(
            std::vector<std::string>{"a.txt", "docs/b.txt", "docs/c.bin"});
    });
    return listings;
}

std::string Name(const QvEntryInfo& info) { return std::string(info.name); }

TEST(Enumeration, FindsWhatThePatternMatchesAndStartsOverOnFindFirst) {
    const QvArchive handle = Listings().Open("a.arc");
    ASSERT_NE(handle, 0u);
    QvEntryInfo info{};
    std::vector<std::string> found;
    for (int32_t code = Listings().FindFirst(handle, "*.txt", &info); code == 0;
         code = Listings().FindNext(handle, &info)) {
        found.push_back(Name(info));
    }
    EXPECT_EQ(found, (std::vector<std::string>{"a.txt", "docs/b.txt"}));
    EXPECT_EQ(Listings().FindNext(handle, &info), kNoMoreEntries);
    ASSERT_EQ(Listings().FindFirst(handle, "", &info),
              0);  // no pattern: every entry, from the first
    EXPECT_EQ(Name(info), "a.txt");
    EXPECT_EQ(Listings().Close(handle), 0);
}

TEST(Enumeration, CallsOutOfOrderAnswerWithTheirCodes) {
    const QvArchive handle = Listings().Open("a.arc");
    QvEntryInfo info{};
    struct Case {
        const char* what;
        int32_t got;
        int32_t expected;
    };
    for (const Case& c : std::vector<Case>{
             {"FindNext before FindFirst", Listings().FindNext(handle, &info),
              result::kFindNextBeforeFirst},
             {"no record to fill", Listings().FindFirst(handle, "*.*", nullptr),
              result::kBadCommand},
             {"unknown handle", Listings().FindFirst(handle + 100, "*.*", &info),
              result::kNotOpened},
             {"close", Listings().Close(handle), result::kSuccess},
             {"closed twice", Listings().Close(handle), result::kNotOpened},
             {"find after close", Listings().FindNext(handle, &info), result::kNotOpened},
         }) {
        EXPECT_EQ(c.got, c.expected) << c.what;
    }
    EXPECT_EQ(Listings().Open("broken"), 0u);
    EXPECT_EQ(Listings().Open(nullptr), 0u);
}

}  // namespace
}  // namespace quorvex6::backend
