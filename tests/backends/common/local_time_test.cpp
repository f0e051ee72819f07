// Local times of DOS stamps solved without mktime: the same instant as mktime gives, in zones
// with daylight time either way round, across their changes, gaps and repeated hours.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "common/system.h"

namespace quorvex6::backend {
namespace {

class LocalTimeTest : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        const char* old = std::getenv("TZ");
        saved_ = old ? std::optional<std::string>(old) : std::nullopt;
        setenv("TZ", GetParam(), 1);
        tzset();
    }
    void TearDown() override {
        if (saved_)
            setenv("TZ", saved_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

  private:
    std::optional<std::string> saved_;
};

int64_t ByMktime(std::tm tm) {
    tm.tm_isdst = -1;
    return static_cast<int64_t>(mktime(&tm));
}

TEST_P(LocalTimeTest, SameInstantAsMktimeEveryHalfHourOfChangingYears) {
    int differences = 0;
    for (int year : {1981, 1996, 2019, 2107}) {
        for (int day = 0; day < 366; ++day) {
            for (int minute = 0; minute < 24 * 60; minute += 30) {
                std::tm tm{};
                tm.tm_year = year - 1900;
                tm.tm_mday = 1 + day;  // past the month's end: mktime and we both carry over
                tm.tm_hour = minute / 60;
                tm.tm_min = minute % 60;
                tm.tm_sec = 58;
                if (FromLocalTime(tm) != ByMktime(tm) && ++differences <= 3)
                    ADD_FAILURE() << year << " day " << day << " minute " << minute << ": "
                                  << FromLocalTime(tm) << " against " << ByMktime(tm);
            }
        }
    }
    EXPECT_EQ(differences, 0);
}

// POSIX rules need no zone files; the named zones are checked where the system has them.
INSTANTIATE_TEST_SUITE_P(Zones, LocalTimeTest,
                         ::testing::Values("UTC0", "CET-1CEST,M3.5.0,M10.5.0/3",
                                           "EST5EDT,M3.2.0,M11.1.0",
                                           "IST-1GMT0,M10.5.0,M3.5.0/1",  // daylight behind
                                           "<+1030>-10:30<+11>-11,M10.1.0,M4.1.0", "Europe/Dublin",
                                           "Africa/Casablanca", "Australia/Lord_Howe",
                                           "America/Santiago"));

}  // namespace
}  // namespace quorvex6::backend
