#include <foundation/TimeZone.hpp>

#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>

using foundation::TimeZone;

namespace {

// 2012-03-04 05:06:07 UTC and 2012-07-04 16:00:00 UTC.
constexpr base::Date winter {352530367};
constexpr base::Date summer {363110400};

}

TEST(TimeZone, FixedZonesKeepTheirOffsetAndName) {
    struct Case {
        int offset;
        int expectedOffset;
        char const* abbreviation;
    };
    Case const cases[] = {
        {0, 0, "GMT"},
        {8 * 3600, 8 * 3600, "GMT+8"},
        {-(5 * 3600 + 1800), -(5 * 3600 + 1800), "GMT-5:30"},
        {24 * 3600, 18 * 3600, "GMT+18"},
        {-99999999, -18 * 3600, "GMT-18"},
    };
    for (auto const& c : cases) {
        auto zone = TimeZone::fixed(c.offset);
        EXPECT_FALSE(zone.isLocal());
        EXPECT_EQ(zone.secondsFromGMT(winter), c.expectedOffset);
        EXPECT_EQ(zone.secondsFromGMT(summer), c.expectedOffset);
        EXPECT_EQ(zone.abbreviation(winter), c.abbreviation);
    }
    EXPECT_EQ(TimeZone::utc(), TimeZone::fixed(0));
}

TEST(TimeZone, ReadsZoneNames) {
    struct Case {
        char const* name;
        std::optional<int> offset;
    };
    Case const cases[] = {
        {"GMT", 0},
        {"utc", 0},
        {"Z", 0},
        {"EST", -5 * 3600},
        {"PDT", -7 * 3600},
        {"GMT+8", 8 * 3600},
        {"GMT-05:30", -(5 * 3600 + 1800)},
        {"UTC+0100", 3600},
        {"+0800", 8 * 3600},
        {"-11", -11 * 3600},
        {"GMT+19", std::nullopt},
        {"+08:5", std::nullopt},
        {"Asia/Tokyo", 9 * 3600},
        {"America/New_York", -5 * 3600},
        {"Mars/Olympus", std::nullopt},
        {"../../etc/passwd", std::nullopt},
        {"", std::nullopt},
        {"+", std::nullopt},
    };
    for (auto const& c : cases) {
        auto zone = TimeZone::named(c.name);
        ASSERT_EQ(zone.has_value(), c.offset.has_value()) << c.name;
        if (zone) {
            EXPECT_EQ(zone->secondsFromGMT(winter), *c.offset) << c.name;
        }
    }
}

TEST(TimeZone, LocalZoneFollowsTheCLibraryWithDaylightSaving) {
    setenv("TZ", "EST5EDT,M3.2.0,M11.1.0", 1);
    tzset();
    auto local = TimeZone::local();
    EXPECT_TRUE(local.isLocal());
    EXPECT_EQ(local.secondsFromGMT(winter), -5 * 3600);
    EXPECT_EQ(local.secondsFromGMT(summer), -4 * 3600);
    EXPECT_EQ(local.abbreviation(winter), "EST");
    EXPECT_EQ(local.abbreviation(summer), "EDT");
    // A zone with a numeric abbreviation is named by its offset.
    setenv("TZ", "<+0530>-5:30", 1);
    tzset();
    EXPECT_EQ(TimeZone::local().abbreviation(winter), "GMT+5:30");
    unsetenv("TZ");
    tzset();
}

TEST(TimeZone, NamedZonesOfTheSystemDatabaseFollowTheirDaylightSaving) {
    // 2100-07-01, past the last transition the files list: the closing rule decides.
    constexpr base::Date farSummer {4118083200.0 - 978307200.0};
    struct Case {
        char const* name;
        base::Date date;
        int offset;
        char const* abbreviation;
    };
    Case const cases[] = {
        {"Asia/Tokyo", winter, 9 * 3600, "JST"},
        {"Asia/Tokyo", summer, 9 * 3600, "JST"},
        {"America/New_York", winter, -5 * 3600, "EST"},
        {"America/New_York", summer, -4 * 3600, "EDT"},
        {"America/New_York", farSummer, -4 * 3600, "EDT"},
        {"Europe/London", summer, 3600, "BST"},
        {"Australia/Sydney", summer, 10 * 3600, "AEST"},
        {"Australia/Sydney", winter, 11 * 3600, "AEDT"},
        {"Asia/Kolkata", winter, 5 * 3600 + 1800, "IST"},
        {"America/Sao_Paulo", summer, -3 * 3600, "GMT-3"},
    };
    for (auto const& c : cases) {
        auto zone = TimeZone::named(c.name);
        ASSERT_TRUE(zone) << c.name;
        EXPECT_FALSE(zone->isLocal());
        EXPECT_EQ(zone->secondsFromGMT(c.date), c.offset) << c.name;
        EXPECT_EQ(zone->abbreviation(c.date), c.abbreviation) << c.name;
    }
    EXPECT_EQ(TimeZone::named("Asia/Tokyo"), TimeZone::named("Asia/Tokyo"));
    EXPECT_NE(TimeZone::named("Asia/Tokyo"), TimeZone::fixed(9 * 3600));
}

TEST(TimeZone, WallTimesOfANamedZoneSkipAndRepeatWithTheClockChanges) {
    auto newYork = TimeZone::named("America/New_York");
    ASSERT_TRUE(newYork);
    // 2012-03-11 02:30 does not exist in New York; 2012-11-04 01:30 happens twice.
    constexpr std::int64_t skipped = 1331433000 - 978307200;
    constexpr std::int64_t repeated = 1351992600 - 978307200;
    EXPECT_EQ(newYork->secondsFromGMTForWallTime(skipped), -5 * 3600);
    EXPECT_EQ(newYork->secondsFromGMTForWallTime(repeated), -4 * 3600);
}

TEST(TimeZone, AnUnknownZoneIsReportedNotTakenAsGMT) {
    test::LogCapture log;
    EXPECT_FALSE(TimeZone::named("Mars/Olympus"));
    EXPECT_TRUE(log.contains("No time zone named \"Mars/Olympus\""));
}
