// The separators of "#,###" and "0.0" come from the environment's numeric locale, read by each
// thread once, and leave the process's own locale alone. Locales with separators of their own are
// compiled into a private folder here (LOCPATH), since a test machine may hold only C and POSIX.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <locale>
#include <optional>
#include <random>
#include <string>
#include <thread>

#include "platform/locale_numbers.h"

// The C library's newlocale keeps the list it makes of LOCPATH's folders: its memory, not ours.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:__argz_add_sep\n";
}

namespace quorvex6 {
namespace {

namespace fs = std::filesystem;

// Sets or unsets the locale variables for one case and puts the earlier values back.
class LocaleEnvironment {
  public:
    static constexpr const char* kNames[] = {"LC_ALL", "LC_NUMERIC", "LANG", "LOCPATH"};

    LocaleEnvironment() {
        for (size_t i = 0; i < std::size(kNames); ++i) {
            if (const char* value = std::getenv(kNames[i])) saved_[i] = value;
            unsetenv(kNames[i]);
        }
    }
    ~LocaleEnvironment() {
        for (size_t i = 0; i < std::size(kNames); ++i) {
            if (saved_[i])
                setenv(kNames[i], saved_[i]->c_str(), 1);
            else
                unsetenv(kNames[i]);
        }
    }
    LocaleEnvironment(const LocaleEnvironment&) = delete;
    LocaleEnvironment& operator=(const LocaleEnvironment&) = delete;

    static void Set(const char* name, const char* value) {
        if (value != nullptr) setenv(name, value, 1);
    }

  private:
    std::optional<std::string> saved_[std::size(kNames)];
};

// What a thread that starts now reads: the separators are read once per thread.
platform::NumberSeparators ReadOnAFreshThread() {
    platform::NumberSeparators read;
    std::thread([&] { read = platform::UserNumberSeparators(); }).join();
    return read;
}

struct Case {
    const char* what;
    const char* lcAll;
    const char* lcNumeric;
    const char* lang;
    std::u16string thousands;
    std::u16string decimal;
};

void Check(const Case& c, const char* locpath) {
    SCOPED_TRACE(c.what);
    LocaleEnvironment environment;
    LocaleEnvironment::Set("LOCPATH", locpath);
    LocaleEnvironment::Set("LC_ALL", c.lcAll);
    LocaleEnvironment::Set("LC_NUMERIC", c.lcNumeric);
    LocaleEnvironment::Set("LANG", c.lang);
    const std::string processLocale = std::setlocale(LC_ALL, nullptr);
    const std::string globalLocale = std::locale().name();
    const platform::NumberSeparators read = ReadOnAFreshThread();
    EXPECT_EQ(read.thousands, c.thousands);
    EXPECT_EQ(read.decimal, c.decimal);
    EXPECT_EQ(std::setlocale(LC_ALL, nullptr), processLocale);
    EXPECT_EQ(std::locale().name(), globalLocale);
}

TEST(LocaleSeparators, TheCAndPosixLocalesDefineNoThousandsSeparatorSoCommaAndPoint) {
    const Case cases[] = {
        {"nothing set", nullptr, nullptr, nullptr, u",", u"."},
        {"LC_ALL C", "C", nullptr, nullptr, u",", u"."},
        {"LC_ALL POSIX", "POSIX", nullptr, nullptr, u",", u"."},
        {"LC_NUMERIC C.UTF-8", nullptr, "C.UTF-8", nullptr, u",", u"."},
        {"LANG C.utf8", nullptr, nullptr, "C.utf8", u",", u"."},
        {"a locale that is not there", nullptr, "xx_NOWHERE.UTF-8", nullptr, u",", u"."},
    };
    for (const Case& c : cases) Check(c, nullptr);
}

class CompiledLocales : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder_ = new fs::path(fs::temp_directory_path() /
                               ("qv-locales-" + std::to_string(std::random_device{}())));
        fs::create_directories(*folder_);
        // Point and comma swapped, as in much of Europe; and an apostrophe for thousands.
        Compile("qvpoint", "<U002E>", "<U002C>");
        Compile("qvapostrophe", "<U0027>", "<U002E>");
    }
    static void TearDownTestSuite() {
        std::error_code ignored;
        fs::remove_all(*folder_, ignored);
        delete folder_;
    }
    void SetUp() override {
        for (const char* name : {"qvpoint", "qvapostrophe"}) {
            if (!fs::exists(*folder_ / name / "LC_NUMERIC")) {
                GTEST_SKIP() << "localedef could not build the test locale " << name;
            }
        }
    }

    static void Compile(const std::string& name, const char* thousands, const char* decimal) {
        const fs::path source = *folder_ / (name + ".def");
        std::ofstream(source) << "LC_NUMERIC\ndecimal_point \"" << decimal << "\"\nthousands_sep \""
                              << thousands << "\"\ngrouping 3\nEND LC_NUMERIC\n";
        // Only the numeric category is defined: -c writes the locale despite the warnings.
        const std::string command = "localedef -c -i '" + source.string() + "' '" +
                                    (*folder_ / name).string() + "' >/dev/null 2>&1";
        (void)std::system(command.c_str());
    }

    static fs::path* folder_;
};

fs::path* CompiledLocales::folder_ = nullptr;

TEST_F(CompiledLocales, LcAllThenLcNumericThenLang) {
    const Case cases[] = {
        {"LC_NUMERIC", nullptr, "qvpoint", nullptr, u".", u","},
        {"LANG", nullptr, nullptr, "qvpoint", u".", u","},
        {"LC_NUMERIC over LANG", nullptr, "qvapostrophe", "qvpoint", u"'", u"."},
        {"LC_ALL over LC_NUMERIC", "qvpoint", "qvapostrophe", nullptr, u".", u","},
        {"LC_ALL C over LC_NUMERIC", "C", "qvpoint", nullptr, u",", u"."},
        {"an empty LC_NUMERIC is unset", nullptr, "", "qvapostrophe", u"'", u"."},
        {"an empty LC_ALL is unset", "", "qvpoint", nullptr, u".", u","},
    };
    for (const Case& c : cases) Check(c, folder_->c_str());
}

TEST_F(CompiledLocales, TheProcesssOwnLocaleNeitherChangesNorCounts) {
    LocaleEnvironment environment;
    LocaleEnvironment::Set("LOCPATH", folder_->c_str());
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "qvpoint"), nullptr);
    LocaleEnvironment::Set("LC_NUMERIC", "qvapostrophe");
    const platform::NumberSeparators read = ReadOnAFreshThread();
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "qvpoint");
    std::setlocale(LC_NUMERIC, before.c_str());
    EXPECT_EQ(read.thousands, u"'");
    EXPECT_EQ(read.decimal, u".");
}

}  // namespace
}  // namespace quorvex6
