#include <foundation/Clock.hpp>
#include <foundation/Dates.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>

using foundation::DateComponents;
using foundation::TimeZone;

TEST(Dates, NowReadsTheInstalledClock) {
    foundation::ScopedManualClock clock;
    clock->setWallTime(1000.5);
    EXPECT_EQ(foundation::now(), base::Date {1000.5});
    clock->advance(2);
    EXPECT_EQ(foundation::now(), base::Date {1002.5});
    EXPECT_DOUBLE_EQ(foundation::timeIntervalSinceNow(base::Date {1012.5}), 10.0);
}

TEST(Dates, ConvertsToAndFromUnixTime) {
    EXPECT_EQ(foundation::dateFromUnixTime(978307200), base::Date {0});
    EXPECT_EQ(foundation::unixTimeFromDate(base::Date {0}), 978307200);
    EXPECT_EQ(foundation::unixTimeFromDate(foundation::dateFromUnixTime(1.25)), 1.25);
    EXPECT_EQ(foundation::timeIntervalSince(base::Date {10}, base::Date {4}), 6);
    EXPECT_EQ(foundation::dateByAddingTimeInterval(base::Date {10}, -4), base::Date {6});
}

TEST(Dates, BreaksDatesIntoCalendarFields) {
    struct Case {
        double seconds;
        int offset;
        DateComponents expected;
    };
    Case const cases[] = {
        {0, 0, {2001, 1, 1, 0, 0, 0, 0, 2, 1, 0}},
        {352530367.25, 0, {2012, 3, 4, 5, 6, 7, 250000, 1, 64, 0}},
        {352530367, 9 * 3600, {2012, 3, 4, 14, 6, 7, 0, 1, 64, 32400}},
        {352530367, -6 * 3600, {2012, 3, 3, 23, 6, 7, 0, 7, 63, -21600}},
        {-978307200.5, 0, {1969, 12, 31, 23, 59, 59, 500000, 4, 365, 0}},
        {378691199, 0, {2012, 12, 31, 23, 59, 59, 0, 2, 366, 0}},
        {-63113904000, 0, {1, 1, 1, 0, 0, 0, 0, 2, 1, 0}},
    };
    for (auto const& c : cases) {
        auto components = foundation::componentsOfDate({c.seconds}, TimeZone::fixed(c.offset));
        ASSERT_TRUE(components.has_value()) << c.seconds;
        EXPECT_EQ(*components, c.expected) << c.seconds;
    }
    EXPECT_FALSE(foundation::componentsOfDate({std::nan("")}, TimeZone::utc()));
    EXPECT_FALSE(
        foundation::componentsOfDate({-std::numeric_limits<double>::infinity()}, TimeZone::utc()));
    EXPECT_FALSE(foundation::componentsOfDate({1e13}, TimeZone::utc()));
}

TEST(Dates, BuildsDatesFromFieldsCarryingOverflow) {
    auto utc = TimeZone::utc();
    struct Case {
        std::int64_t year, month, day, hour, minute, second;
        double expected;
    };
    Case const cases[] = {
        {2012, 3, 4, 5, 6, 7, 352530367},
        {2011, 15, 4, 5, 6, 7, 352530367}, // month 15 of 2011 is March 2012
        {2012, 3, 0, 0, 0, 0, 352166400}, // day 0 is the last day of February
        {2012, 3, 3, 24, 0, 0, 352512000}, {2012, 3, 3, 23, 59, 60, 352512000},
        {2012, 1, 64, 0, 0, 0, 352512000}, {2001, 1, 1, 0, 0, -1, -1},
        {2013, -9, 4, 0, 0, 0, 352512000}, // month -9 of 2013 is March 2012
    };
    for (auto const& c : cases) {
        auto date = foundation::dateFromComponents(
            c.year, c.month, c.day, c.hour, c.minute, c.second, utc);
        EXPECT_EQ(date.seconds, c.expected) << c.year << "-" << c.month << "-" << c.day;
    }
    EXPECT_EQ(
        foundation::dateFromComponents(2012, 3, 4, 14, 6, 7, TimeZone::fixed(9 * 3600)).seconds,
        352530367);
    // Absurd fields stay finite instead of overflowing.
    auto far = foundation::dateFromComponents(
        INT64_MAX, INT64_MAX, INT64_MAX, INT64_MAX, INT64_MAX, INT64_MAX, utc);
    EXPECT_TRUE(std::isfinite(far.seconds));
}

TEST(Dates, BuildsLocalDatesInTheLocalZone) {
    setenv("TZ", "JST-9", 1);
    tzset();
    // 1 January 1980 at midnight in Tokyo is 15:00 UTC the day before.
    auto date = foundation::dateFromComponents(1980, 1, 1, 0, 0, 0, TimeZone::local());
    EXPECT_EQ(date.seconds, -662774400 - 9 * 3600);
    unsetenv("TZ");
    tzset();
}

TEST(Dates, KnowsTheCalendar) {
    EXPECT_TRUE(foundation::isLeapYear(2000));
    EXPECT_TRUE(foundation::isLeapYear(2012));
    EXPECT_FALSE(foundation::isLeapYear(1900));
    EXPECT_FALSE(foundation::isLeapYear(2011));
    EXPECT_EQ(foundation::daysInMonth(2012, 2), 29);
    EXPECT_EQ(foundation::daysInMonth(2011, 2), 28);
    EXPECT_EQ(foundation::daysInMonth(2011, 4), 30);
    EXPECT_EQ(foundation::daysInMonth(2011, 13), 0);
    for (std::int64_t days : {-800000, -1, 0, 1, 11323, 15403, 2932896}) {
        std::int64_t year;
        int month;
        int day;
        foundation::civilFromDays(days, year, month, day);
        EXPECT_EQ(foundation::daysFromCivil(year, month, day), days);
    }
    EXPECT_EQ(foundation::daysFromCivil(2001, 1, 1), 11323);
}
